#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "server/engine/checks/checkscope.h"

// What a check gets: the monitor's parameters by name, where it may send,
// and how long it may take.
struct CheckInput
{
    std::map<std::string, std::string> params;
    const CheckScope *scope = nullptr;
    std::chrono::milliseconds timeout{5000};

    std::string param(const std::string &name, const std::string &fallback = {}) const;
    int intParam(const std::string &name, int fallback) const;
};

// The outcome of one check: the values in the order of the kind's return
// values, or, when the check could not run, no values and the reason.
struct CheckResult
{
    bool ran = false;
    std::vector<std::string> values;
    std::string error;

    static CheckResult ok(std::vector<std::string> values) { return {true, std::move(values), {}}; }
    static CheckResult failed(std::string reason) { return {false, {}, std::move(reason)}; }
};
