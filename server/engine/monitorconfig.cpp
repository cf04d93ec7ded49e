#include "server/engine/monitorconfig.h"

#include <charconv>

#include "server/engine/monitorkinds.h"
#include "services/types/monitorobj.h"
#include "services/types/paramobj.h"

std::shared_ptr<const MonitorConfig> MonitorConfig::from(const MonitorObj &monitor, const std::string &deviceAddress,
                                                     std::chrono::seconds defaultPeriod)
{
    auto config = std::make_shared<MonitorConfig>();
    config->id = monitor.get(MonitorObj::Id);
    config->deviceId = monitor.get(MonitorObj::ParentId);
    config->kindId = monitor.get(MonitorObj::MonitorType);
    config->text = monitor.get(MonitorObj::Text);
    config->kind = monitorkinds::find(config->kindId);
    for (const auto &item : monitor.params())
        if (const auto *param = dynamic_cast<const ParamObj *>(item.get()))
            config->params[param->get(ParamObj::ParamName)] = param->get(ParamObj::ParamValue);
    if (config->params["HostName"].empty())
        config->params["HostName"] = deviceAddress;
    const StateConditionObj &condition = monitor.condition();
    config->error = Condition::from(condition, StateConditionObj::Error);
    config->warning = Condition::from(condition, StateConditionObj::Warning);
    config->normal = Condition::from(condition, StateConditionObj::Normal);
    config->monitoring = ControlWindow(monitor.get(MonitorObj::MStatus), monitor.get(MonitorObj::MSTime),
                                     monitor.get(MonitorObj::METime));
    config->alerting = ControlWindow(monitor.get(MonitorObj::AStatus), monitor.get(MonitorObj::ASTime),
                                   monitor.get(MonitorObj::AETime));
    config->period = defaultPeriod;
    auto found = config->params.find("Interval");
    const std::string interval = found == config->params.end() ? std::string() : found->second;
    int seconds = 0;
    auto [end, ec] = std::from_chars(interval.data(), interval.data() + interval.size(), seconds);
    if (ec == std::errc() && end == interval.data() + interval.size() && seconds > 0)
        config->period = std::chrono::seconds(seconds);
    return config;
}
