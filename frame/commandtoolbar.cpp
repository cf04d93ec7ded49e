#include "frame/commandtoolbar.h"

#include <QAction>
#include <QPointer>
#include <QToolBar>

#include "frame/promainframe.h"

QToolBar *CreateCommandToolBar(CProMainFrame *frame, int resourceId, std::span<const CommandButton> buttons,
                               CommandOrigin origin)
{
    auto *toolBar = new QToolBar(frame);
    toolBar->setObjectName(QString::number(resourceId));
    toolBar->setIconSize(QSize(16, 16));
    QPointer<CProMainFrame> target = frame;
    for (const CommandButton &button : buttons) {
        QAction *action = toolBar->addAction(frame->style()->standardIcon(button.icon),
                                             QString::fromUtf8(button.toolTip));
        action->setData(button.command);
        action->setToolTip(QString::fromUtf8(button.toolTip));
        const int command = button.command;
        QObject::connect(action, &QAction::triggered, frame, [target, command, origin] {
            if (target)
                target->RouteCommand(command, origin);
        });
    }
    return toolBar;
}
