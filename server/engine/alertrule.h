#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class Storage;

// An enabled alert rule as the engine applies it.
struct AlertRule
{
    std::string id;
    std::string name;     // in the code page
    std::string ruleType; // "0" mail, "1" sound, "2" script, "3" short message
    int sendType = 0;     // 0 always from the Nth, 1 once at the Nth, 2 at the Ath and every Bth after
    long first = 1;       // N, or A
    long every = 1;       // B
    int level = 0;        // 0 warning or worse, 1 error only
    std::map<std::string, std::string> params; // the rule type's parameters by name
    std::set<std::string> watched;             // monitors, devices or groups

    // Whether a result of this state counts towards the rule.
    bool matches(int state) const;
    // Whether the count-th consecutive matching result is sent.
    bool sendsAt(long count) const;

    // The enabled rules kept in storage.
    static std::vector<std::shared_ptr<const AlertRule>> loadEnabled(Storage &storage);
    // Reads a send rule and its count text ("3", or "3|5" for send rule 2);
    // missing or non-positive counts count as 1.
    void setSendRule(const std::string &sendType, const std::string &counts);
};
