#include "modules/probe/monitorsummary.h"

#include <QStringList>

#include "frame/localtext.h"
#include "services/types/elementobj.h"

namespace MonitorSummary {

QString Text(const ElementObj &monitor)
{
    const auto field = [&](int which) { return fromLocal(monitor.get(which)); };
    const QStringList lines = {
        QStringLiteral("ID: ") + field(ElementObj::ID),
        QStringLiteral("ParentID:  ") + field(ElementObj::PID) + QStringLiteral(" "),
        QStringLiteral("检测类型:   ") + field(ElementObj::Monitor_Type) + QStringLiteral(" "),
        QStringLiteral("检测名称:   ") + field(ElementObj::Text) + QStringLiteral(" "),
        QStringLiteral("最后检测时间:   ") + field(ElementObj::LastMonitorTime) + QStringLiteral(" "),
        QStringLiteral("最后状态:   ") + field(ElementObj::LastState) + QStringLiteral(" "),
        QStringLiteral("检测结果:   ") + field(ElementObj::Monitor_Description) + QStringLiteral(" "),
    };
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace MonitorSummary
