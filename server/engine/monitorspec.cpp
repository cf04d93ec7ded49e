#include "server/engine/monitorspec.h"

#include <charconv>

#include "server/engine/monitorkinds.h"
#include "services/types/monitorobj.h"
#include "services/types/paramobj.h"

std::shared_ptr<const MonitorSpec> MonitorSpec::from(const MonitorObj &monitor, const std::string &deviceAddress,
                                                     std::chrono::seconds defaultPeriod)
{
    auto spec = std::make_shared<MonitorSpec>();
    spec->id = monitor.get(MonitorObj::Id);
    spec->deviceId = monitor.get(MonitorObj::ParentId);
    spec->kindId = monitor.get(MonitorObj::MonitorType);
    spec->text = monitor.get(MonitorObj::Text);
    spec->kind = monitorkinds::find(spec->kindId);
    for (const auto &item : monitor.params())
        if (const auto *param = dynamic_cast<const ParamObj *>(item.get()))
            spec->params[param->get(ParamObj::ParamName)] = param->get(ParamObj::ParamValue);
    if (spec->params["HostName"].empty())
        spec->params["HostName"] = deviceAddress;
    const StateConditionObj &condition = monitor.condition();
    spec->error = Condition::from(condition, StateConditionObj::Error);
    spec->warning = Condition::from(condition, StateConditionObj::Warning);
    spec->normal = Condition::from(condition, StateConditionObj::Normal);
    spec->monitoring = ControlWindow(monitor.get(MonitorObj::MStatus), monitor.get(MonitorObj::MSTime),
                                     monitor.get(MonitorObj::METime));
    spec->alerting = ControlWindow(monitor.get(MonitorObj::AStatus), monitor.get(MonitorObj::ASTime),
                                   monitor.get(MonitorObj::AETime));
    spec->period = defaultPeriod;
    auto found = spec->params.find("Interval");
    const std::string interval = found == spec->params.end() ? std::string() : found->second;
    int seconds = 0;
    auto [end, ec] = std::from_chars(interval.data(), interval.data() + interval.size(), seconds);
    if (ec == std::errc() && end == interval.data() + interval.size() && seconds > 0)
        spec->period = std::chrono::seconds(seconds);
    return spec;
}
