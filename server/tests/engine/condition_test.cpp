#include <gtest/gtest.h>

#include "server/core/handlers/inventory.h"
#include "server/engine/condition.h"
#include "server/engine/controlwindow.h"

TEST(Condition, ComparesNumbersAsNumbersAndTextAsText)
{
    struct Row
    {
        const char *actual, *op, *expected;
        bool holds;
    };
    const Row rows[] = {
        {"82", ">", "75", true},         {"9", ">", "75", false},    // numbers, not "9" > "75" as text
        {"100", "&gt;=", "100", true},   {"99.5", "&lt;", "100", true}, // stored escaped
        {"1e3", "==", "1000", true},     {" 5 ", "==", "5", true},
        {"75", "<=", "75", true},        {"75", "<", "75", false},
        {"open", "==", "open", true},    {"closed", "!=", "open", true},
        {"abc", "<", "abd", true},       {"10a", ">", "9", false},   // text: "1" < "9"
        {"connection refused", "contains", "refused", true},
        {"connection refused", "!contains", "refused", false},
        {"", "contains", "", true},      {"x", "=", "x", false},     // unknown operator never holds
        {"", "==", "0", false},
    };
    for (const Row &row : rows)
        EXPECT_EQ(Condition::compare(row.actual, row.op, row.expected), row.holds)
            << row.actual << " " << row.op << " " << row.expected;
}

TEST(Condition, ExpressionsJoinClausesWithAndBeforeOr)
{
    Condition condition("1#or#2#and#3", {{"1", "Cpu", ">", "90"}, {"2", "Cpu", ">", "50"}, {"3", "Mem", ">", "50"}});
    auto values = [](const char *cpu, const char *mem) { return NamedValues{{"Cpu", cpu}, {"Mem", mem}}; };
    EXPECT_TRUE(condition.holds(values("95", "0")));
    EXPECT_TRUE(condition.holds(values("60", "60")));
    EXPECT_FALSE(condition.holds(values("60", "10")));
    EXPECT_FALSE(condition.holds(values("10", "60")));
    EXPECT_FALSE(condition.holds({{"Mem", "60"}})) << "a missing value never holds";

    Condition both("1#and#2", {{"1", "Cpu", ">", "90"}, {"2", "Mem", ">=", "80"}});
    EXPECT_TRUE(both.holds(values("91", "80")));
    EXPECT_FALSE(both.holds(values("91", "79")));

    // Unreadable expressions and missing clauses never hold.
    for (const char *bad : {"", "#and#1", "1#and#", "1#xor#2", "1#and", "3"})
        EXPECT_FALSE(Condition(bad, {{"1", "Cpu", ">", "0"}, {"2", "Cpu", ">", "0"}}).holds(values("5", "5"))) << bad;
}

TEST(Condition, StateIsTheFirstConditionThatHoldsElseError)
{
    Condition error("1", {{"1", "Cpu", ">", "90"}}), warning("1", {{"1", "Cpu", ">", "75"}}),
        normal("1", {{"1", "Cpu", "<=", "75"}});
    EXPECT_EQ(evaluateState(error, warning, normal, {{"Cpu", "95"}}), inventory::Error);
    EXPECT_EQ(evaluateState(error, warning, normal, {{"Cpu", "80"}}), inventory::Warning);
    EXPECT_EQ(evaluateState(error, warning, normal, {{"Cpu", "10"}}), inventory::Normal);
    EXPECT_EQ(evaluateState(error, warning, normal, {}), inventory::Error) << "no values: nothing holds";
    EXPECT_EQ(evaluateState({}, {}, {}, {{"Cpu", "10"}}), inventory::Error) << "no conditions at all";
}

TEST(ControlWindow, ModesAtTheirBoundaries)
{
    std::time_t start = 0, end = 0;
    ASSERT_TRUE(ControlWindow::parseTime("2026-3-1 8:0:0", start));
    ASSERT_TRUE(ControlWindow::parseTime("2026-3-1 18:00:00", end));
    EXPECT_EQ(end - start, 10 * 3600);
    for (const char *bad : {"", "2026-13-1 0:0:0", "2026-3-1", "2026-3-1 8:0:0x"}) {
        std::time_t ignored;
        EXPECT_FALSE(ControlWindow::parseTime(bad, ignored)) << bad;
    }
    const char *from = "2026-3-1 8:0:0", *to = "2026-3-1 18:0:0";
    struct Row
    {
        const char *mode;
        bool before, atStart, justBeforeEnd, atEnd;
    };
    const Row rows[] = {
        {"0", true, true, true, true},     {"1", false, true, true, false}, {"2", false, false, false, false},
        {"3", true, false, false, true},   {"", true, true, true, true},    {"9", true, true, true, true},
    };
    for (const Row &row : rows) {
        ControlWindow window(row.mode, from, to);
        EXPECT_EQ(window.allows(start - 1), row.before) << row.mode;
        EXPECT_EQ(window.allows(start), row.atStart) << row.mode;
        EXPECT_EQ(window.allows(end - 1), row.justBeforeEnd) << row.mode;
        EXPECT_EQ(window.allows(end), row.atEnd) << row.mode;
    }
    // An unreadable end leaves that side open.
    EXPECT_TRUE(ControlWindow("1", from, "").allows(end + 86400));
    EXPECT_FALSE(ControlWindow("1", from, "").allows(start - 1));
}
