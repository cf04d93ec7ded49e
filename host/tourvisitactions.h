#pragma once

#include <QString>

#include "orb/wire/keelexport.h"

class QWidget;

// What a demo-tour visit (CTourVisit) selects and opens, carried out in the
// active document window of mainFrame as an operator would, with the words
// CTourVisit describes. Each returns what failed, or an empty text.
namespace TourVisitActions {

// A missing first entry is no failure: a list may well be empty.
KEEL_EXPORT QString Select(QWidget *mainFrame, const QString &what);
// "toolbar:" and "command:" need mainFrame to be a CProMainFrame; "button:"
// is pressed by the tour itself and fails here.
KEEL_EXPORT QString Open(QWidget *mainFrame, const QString &what);

} // namespace TourVisitActions
