// Condition boxes: display text parsed into clauses and an expression, and
// rendered back; what cannot hold is refused with the box's name.

#include <gtest/gtest.h>

#include "frame/localtext.h"
#include "modules/probe/conditiontext.h"
#include "services/types/expressionparamitemobj.h"

namespace {

// "嘯" and "嘳" end in the bytes "[" and "]" in GBK.
const std::vector<ReturnValue> Returns = {
    {QStringLiteral("int"), QStringLiteral("CpuUsage"), QStringLiteral("CPU使用率")},
    {QStringLiteral("int"), QStringLiteral("MemoryUsage"), QStringLiteral("内存 使用率")},
    {QStringLiteral("int"), QStringLiteral("Howl"), QStringLiteral("嘯叫次数")},
    {QStringLiteral("string"), QStringLiteral("Sigh"), QStringLiteral("嘳声")},
};

struct Item
{
    const char *name;
    const char *op;
    const char *value;
};

std::vector<Item> ItemsOf(const StateConditionObj &condition, StateConditionObj::Field field,
                          std::vector<std::string> &storage)
{
    std::vector<Item> items;
    storage.clear();
    storage.reserve(condition.items(field).size() * 3);
    for (const auto &each : condition.items(field)) {
        const auto &item = static_cast<const ExpressionParamItemObj &>(*each);
        storage.push_back(item.get(ExpressionParamItemObj::paraName));
        storage.push_back(item.get(ExpressionParamItemObj::Operator));
        storage.push_back(fromLocal(item.get(ExpressionParamItemObj::paraValue)).toStdString());
        items.push_back({storage[storage.size() - 3].c_str(), storage[storage.size() - 2].c_str(),
                         storage.back().c_str()});
    }
    return items;
}

TEST(ConditionText, ParsesAndRendersRoundTrip)
{
    struct Case
    {
        const char *text;
        const char *expression;
        std::vector<Item> items;
    };
    const Case cases[] = {
        {"[CPU使用率 > 90]and [内存使用率 >= 80]", "1#and#2", {{"CpuUsage", ">", "90"}, {"MemoryUsage", ">=", "80"}}},
        {"[CPU使用率 > 90]or [内存使用率 <= 1]and [嘯叫次数 == 3]", "1#or#2#and#3",
         {{"CpuUsage", ">", "90"}, {"MemoryUsage", "<=", "1"}, {"Howl", "==", "3"}}},
        {"  [ 内存 使用率   != 5 ] or[嘯叫次数 contains a b]", "1#or#2", {{"MemoryUsage", "!=", "5"}, {"Howl", "contains", "a b"}}},
        {"[嘳声 !contains 嘯]", "1", {{"Sigh", "!contains", "嘯"}}},
        {"[CPU使用率 < ]", "1", {{"CpuUsage", "<", ""}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        StateConditionObj condition;
        ASSERT_EQ(ConditionText::Parse(QString::fromUtf8(c.text), Returns, condition, StateConditionObj::Warning,
                                       QStringLiteral("危险")), QString());
        EXPECT_EQ(condition.get(StateConditionObj::Warning), c.expression);
        std::vector<std::string> storage;
        const std::vector<Item> items = ItemsOf(condition, StateConditionObj::Warning, storage);
        ASSERT_EQ(items.size(), c.items.size());
        for (std::size_t i = 0; i < items.size(); ++i) {
            EXPECT_STREQ(items[i].name, c.items[i].name);
            EXPECT_STREQ(items[i].op, c.items[i].op);
            EXPECT_STREQ(items[i].value, c.items[i].value);
            EXPECT_EQ(static_cast<const ExpressionParamItemObj &>(*condition.warningItems().at(i)).get(ExpressionParamItemObj::itemId),
                      std::to_string(i + 1));
        }
        EXPECT_TRUE(condition.errorItems().empty() && condition.normalItems().empty());

        // The rendered text reads back to the same items and expression.
        const QString shown = ConditionText::Render(condition, StateConditionObj::Warning, Returns);
        StateConditionObj again;
        ASSERT_EQ(ConditionText::Parse(shown, Returns, again, StateConditionObj::Warning, QStringLiteral("危险")), QString())
            << shown.toStdString();
        std::string wire, wireAgain;
        condition.toXML(wire, "StateConditionObj", 1);
        again.toXML(wireAgain, "StateConditionObj", 1);
        EXPECT_EQ(wire, wireAgain) << shown.toStdString();
    }
}

TEST(ConditionText, OperatorsTravelEscaped)
{
    StateConditionObj condition;
    ASSERT_EQ(ConditionText::Parse(QStringLiteral("[CPU使用率 <= 5]and [嘳声 contains x]"), Returns, condition,
                                   StateConditionObj::Error, QStringLiteral("错误")), QString());
    std::string wire;
    condition.toXML(wire, "StateConditionObj", 1);
    EXPECT_NE(wire.find("<operator>&lt;=</operator>"), std::string::npos) << wire;
    EXPECT_NE(wire.find("<operator>contains</operator>"), std::string::npos) << wire;
    EXPECT_NE(wire.find("<Error>1#and#2</Error>"), std::string::npos) << wire;
}

TEST(ConditionText, RefusesWhatCannotHoldAndChangesNothing)
{
    const struct
    {
        const char *text;
        const char *why;
    } cases[] = {
        {"[CPU使用率 > 90][内存使用率 > 1]", "缺少连接词"},
        {"[CPU使用率 > 90]xor [内存使用率 > 1]", "缺少连接词"},
        {"and [CPU使用率 > 90]", "开头不能有"},
        {"[CPU使用率 > 90]and", "不在方括号中"},
        {"[磁盘 > 90]", "不是此检测的返回值"},
        {"[CPU使用率 > 90", "缺少\"]\""},
        {"[CPU使用率 > 90 and [内存使用率 > 1]", "缺少\"]\""},
        {"[CPU使用率 90]", "没有比较运算符"},
        {"[> 90]", "没有名称"},
        {"[CPU使用率 == <b>]", "不能含有"},
        {"[CPU使用率 == a&b]", "不能含有"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        StateConditionObj condition;
        ASSERT_EQ(ConditionText::Parse(QStringLiteral("[CPU使用率 > 1]"), Returns, condition, StateConditionObj::Normal,
                                       QStringLiteral("正常")), QString());
        const QString message = ConditionText::Parse(QString::fromUtf8(c.text), Returns, condition,
                                                     StateConditionObj::Normal, QStringLiteral("正常"));
        EXPECT_TRUE(message.startsWith(QStringLiteral("正常条件"))) << message.toStdString();
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.why))) << message.toStdString();
        EXPECT_EQ(condition.normalItems().size(), 1u) << "the stored condition is kept";
        EXPECT_EQ(condition.get(StateConditionObj::Normal), "1");
    }

    StateConditionObj condition;
    const QString longValue = QStringLiteral("[CPU使用率 == %1]").arg(QString(32, QChar(0x6570))); // 64 bytes
    EXPECT_TRUE(ConditionText::Parse(longValue, Returns, condition, StateConditionObj::Normal, QStringLiteral("正常"))
                    .contains(QStringLiteral("值太长")));
    QString many = QStringLiteral("[CPU使用率 > 1]");
    for (int i = 2; i <= 12; ++i)
        many += QStringLiteral("and [CPU使用率 > %1]").arg(i);
    EXPECT_TRUE(ConditionText::Parse(many, Returns, condition, StateConditionObj::Normal, QStringLiteral("正常"))
                    .contains(QStringLiteral("表达式")));
    EXPECT_TRUE(condition.normalItems().empty());
}

TEST(ConditionText, EditingReplacesAndEmptyClears)
{
    StateConditionObj condition;
    ASSERT_TRUE(ConditionText::Parse(QStringLiteral("[CPU使用率 > 1]and [CPU使用率 < 9]"), Returns, condition,
                                     StateConditionObj::Error, QStringLiteral("错误")).isEmpty());
    ASSERT_TRUE(ConditionText::Parse(QStringLiteral("[嘯叫次数 > 2]"), Returns, condition, StateConditionObj::Error,
                                     QStringLiteral("错误")).isEmpty());
    EXPECT_EQ(condition.errorItems().size(), 1u);
    EXPECT_EQ(condition.get(StateConditionObj::Error), "1");
    ASSERT_TRUE(ConditionText::Parse(QStringLiteral("  "), Returns, condition, StateConditionObj::Error,
                                     QStringLiteral("错误")).isEmpty());
    EXPECT_TRUE(condition.errorItems().empty());
    EXPECT_EQ(condition.get(StateConditionObj::Error), "");
    EXPECT_EQ(ConditionText::Render(condition, StateConditionObj::Error, Returns), QString());
}

TEST(ConditionText, RendersItemsWhoseExpressionDoesNotNameThem)
{
    // A condition written by another client: items without a usable expression.
    StateConditionObj condition;
    for (const char *id : {"1", "2"}) {
        auto item = std::make_unique<ExpressionParamItemObj>();
        item->set(ExpressionParamItemObj::itemId, id);
        item->set(ExpressionParamItemObj::paraName, "Unlisted");
        item->set(ExpressionParamItemObj::Operator, ">");
        item->set(ExpressionParamItemObj::paraValue, id);
        condition.normalItems().append(std::move(item));
    }
    condition.set(StateConditionObj::Normal, "1#and#7");
    EXPECT_EQ(ConditionText::Render(condition, StateConditionObj::Normal, Returns),
              QStringLiteral("[Unlisted > 1]and [Unlisted > 2]"));
}

} // namespace
