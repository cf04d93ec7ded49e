#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "server/engine/alertrule.h"
#include "server/engine/monitorconfig.h"

class Storage;

// The inventory as the engine last read it: the monitors to run, the tree
// their states roll up through (handed over to the recorder), and the
// enabled alert rules.
struct InventorySnapshot
{
    struct Node
    {
        std::string parent;
        bool monitor = false;
        int state = 0; // as stored when read; the recorder keeps it current
    };

    // The monitoring and alerting controls of groups and devices: a monitor
    // runs (or alerts) only while its own control and those of every element
    // above it allow.
    struct Control
    {
        std::string parent;
        ControlWindow monitoring, alerting;
    };

    std::unordered_map<std::string, std::shared_ptr<const MonitorConfig>> monitors;
    std::unordered_map<std::string, Control> controls;
    std::unordered_map<std::string, Node> nodes;
    std::unordered_map<std::string, std::vector<std::string>> children;
    std::vector<std::shared_ptr<const AlertRule>> rules;

    bool allowsMonitoring(const MonitorConfig &monitor, std::time_t now) const;
    bool allowsAlerting(const MonitorConfig &monitor, std::time_t now) const;

    static std::shared_ptr<InventorySnapshot> load(Storage &storage, std::chrono::seconds defaultPeriod);
};
