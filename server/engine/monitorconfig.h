#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "server/engine/condition.h"
#include "server/engine/controlwindow.h"

class MonitorObj;
struct MonitorKind;

// What the engine needs of one monitor, read once from its stored record
// and its device.
struct MonitorConfig
{
    std::string id;
    std::string deviceId;
    std::string kindId;
    std::string text; // the monitor's name, in the code page
    const MonitorKind *kind = nullptr;
    std::map<std::string, std::string> params;
    Condition error, warning, normal;
    ControlWindow monitoring, alerting;
    std::chrono::seconds period{60};

    // HostName defaults to the device's address; the period comes from an
    // "Interval" parameter (seconds) or defaultPeriod.
    static std::shared_ptr<const MonitorConfig> from(const MonitorObj &monitor, const std::string &deviceAddress,
                                                   std::chrono::seconds defaultPeriod);
};
