#include "server/engine/condition.h"

#include <cstdlib>

#include "server/core/handlers/inventory.h"
#include "services/types/expressionparamitemobj.h"

namespace {

bool asNumber(std::string_view text, double &number)
{
    std::string copy(text);
    if (copy.empty() || copy.find_first_not_of(" \t") == std::string::npos)
        return false;
    char *end = nullptr;
    number = std::strtod(copy.c_str(), &end);
    while (*end == ' ' || *end == '\t')
        ++end;
    return *end == '\0';
}

std::string_view unescaped(std::string_view op)
{
    if (op == "&gt;")
        return ">";
    if (op == "&lt;")
        return "<";
    if (op == "&gt;=")
        return ">=";
    if (op == "&lt;=")
        return "<=";
    return op;
}

} // namespace

Condition::Condition(std::string expression, std::vector<Clause> clauses)
    : m_expression(std::move(expression)), m_clauses(std::move(clauses))
{
}

Condition Condition::from(const StateConditionObj &stored, StateConditionObj::Field field)
{
    std::vector<Clause> clauses;
    for (const auto &item : stored.items(field)) {
        const auto *clause = dynamic_cast<const ExpressionParamItemObj *>(item.get());
        if (clause)
            clauses.push_back({clause->get(ExpressionParamItemObj::itemId), clause->get(ExpressionParamItemObj::paraName),
                               clause->get(ExpressionParamItemObj::Operator),
                               clause->get(ExpressionParamItemObj::paraValue)});
    }
    return Condition(stored.get(field), std::move(clauses));
}

bool Condition::compare(std::string_view actual, std::string_view op, std::string_view expected)
{
    op = unescaped(op);
    if (op == "contains")
        return actual.find(expected) != std::string_view::npos;
    if (op == "!contains")
        return actual.find(expected) == std::string_view::npos;
    double a = 0, b = 0;
    int order;
    if (asNumber(actual, a) && asNumber(expected, b))
        order = a < b ? -1 : (a > b ? 1 : 0);
    else
        order = actual.compare(expected) < 0 ? -1 : (actual.compare(expected) > 0 ? 1 : 0);
    if (op == "==")
        return order == 0;
    if (op == "!=")
        return order != 0;
    if (op == ">")
        return order > 0;
    if (op == "<")
        return order < 0;
    if (op == ">=")
        return order >= 0;
    if (op == "<=")
        return order <= 0;
    return false; // an unknown or empty operator never holds
}

bool Condition::clauseHolds(std::string_view number, const NamedValues &values) const
{
    for (const Clause &clause : m_clauses) {
        if (clause.number != number)
            continue;
        for (const auto &[name, value] : values)
            if (name == clause.name)
                return compare(value, clause.op, clause.value);
        return false;
    }
    return false;
}

bool Condition::holds(const NamedValues &values) const
{
    // "1#and#2#or#3": terms separated by "#or#", each a chain of "#and#".
    std::string_view rest = m_expression;
    if (rest.empty())
        return false;
    bool any = false, term = true;
    for (;;) {
        std::size_t mark = rest.find('#');
        std::string_view number = rest.substr(0, mark);
        if (number.empty())
            return false;
        term = term && clauseHolds(number, values);
        if (mark == std::string_view::npos)
            break;
        rest.remove_prefix(mark + 1);
        std::size_t close = rest.find('#');
        if (close == std::string_view::npos)
            return false;
        std::string_view connector = rest.substr(0, close);
        rest.remove_prefix(close + 1);
        if (connector == "or") {
            any = any || term;
            term = true;
        } else if (connector != "and") {
            return false;
        }
    }
    return any || term;
}

int evaluateState(const Condition &error, const Condition &warning, const Condition &normal, const NamedValues &values)
{
    if (error.holds(values))
        return inventory::Error;
    if (warning.holds(values))
        return inventory::Warning;
    if (normal.holds(values))
        return inventory::Normal;
    return inventory::Error;
}
