#pragma once

#include <string>
#include <unordered_set>

#include "server/engine/monitorleases.h"

// One node alone: it holds every monitor of the inventory.
class SingleNodeLeases : public MonitorLeases
{
public:
    bool shared() const override { return false; }
    std::chrono::milliseconds renewEvery() const override { return std::chrono::hours(1); }
    void setMonitors(std::vector<std::string> ids) override;
    Round round(const Runs &runs) override;
    void release(const std::vector<std::string> &, const Runs &) override {}
    void leave(const Runs &) override {}
    bool valid() const override { return true; }

private:
    std::unordered_set<std::string> m_monitors;
    std::unordered_set<std::string> m_held;
};
