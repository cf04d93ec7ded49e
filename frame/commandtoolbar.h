#pragma once

#include <span>

#include <QStyle>

#include "frame/procommands.h"
#include "orb/wire/keelexport.h"

class CProMainFrame;
class QToolBar;

// One button of a toolbar: the command it sends and its tooltip.
struct CommandButton
{
    int command;
    const char *toolTip;
    QStyle::StandardPixmap icon;
};

// A flat toolbar of the main frame, identified by its resource number, whose
// buttons send their commands through the frame from the given origin.
KEEL_EXPORT QToolBar *CreateCommandToolBar(CProMainFrame *frame, int resourceId,
                                           std::span<const CommandButton> buttons,
                                           CommandOrigin origin = CommandOrigin::Module);
