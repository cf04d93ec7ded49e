#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "services/types/stateconditionobj.h"

// A check's values by return name, as the conditions see them.
using NamedValues = std::vector<std::pair<std::string_view, std::string_view>>;

// One state condition of a monitor: clauses ("CpuUsage > 90") joined by an
// expression over their numbers ("1#and#2"). "and" binds closer than "or".
class Condition
{
public:
    struct Clause
    {
        std::string number;
        std::string name;
        std::string op;
        std::string value;
    };

    Condition() = default;
    Condition(std::string expression, std::vector<Clause> clauses);
    // The condition stored in one field (Error, Warning, Normal) of a monitor.
    static Condition from(const StateConditionObj &stored, StateConditionObj::Field field);

    // False when the expression is empty or unreadable, or names a clause
    // that does not hold (a missing value never holds).
    bool holds(const NamedValues &values) const;
    bool empty() const { return m_expression.empty(); }

    // actual op expected: numbers compare as numbers when both sides read as
    // one, otherwise as text; "contains"/"!contains" look for expected in
    // actual. Operators may come XML-escaped ("&gt;=").
    static bool compare(std::string_view actual, std::string_view op, std::string_view expected);

private:
    bool clauseHolds(std::string_view number, const NamedValues &values) const;

    std::string m_expression;
    std::vector<Clause> m_clauses;
};

// The state of a result: error, warning and normal are tried in that order;
// the first that holds gives the state; none gives error.
int evaluateState(const Condition &error, const Condition &warning, const Condition &normal,
                  const NamedValues &values);
