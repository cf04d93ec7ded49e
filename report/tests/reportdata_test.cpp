#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <QStringEncoder>

#include "report/monitorlibrary.h"
#include "report/reportdata.h"

namespace {

// One reply line in the data server's layout: id, kind, time, state, remark,
// epoch, value count, values.
std::string Line(const std::string &time, const std::string &state, const std::vector<std::string> &values,
                 const std::string &remark = "ok")
{
    std::string line = "m1$Ping$" + time + "$" + state + "$" + remark + "$0$" + std::to_string(values.size()) + "$";
    for (const std::string &value : values)
        line += value + "$";
    return line + "\r\n";
}

struct ParseCase
{
    const char *name;
    std::string reply;
    int items;
    int64_t normal, danger, error;
    int normalPercent, dangerPercent, errorPercent;
    // Per item: count, maximum, average (NaN: no values).
    std::vector<std::tuple<int64_t, double, double>> statistics;
};

TEST(ReportData, CountsPercentagesAndItemStatistics)
{
    const double none = std::nan("");
    const std::vector<ParseCase> cases = {
        {"three normal, one danger",
         Line("2026-12-8 10:0:0", "0", {"1"}) + Line("2026-12-8 10:1:0", "0", {"2"})
             + Line("2026-12-8 10:2:0", "1", {"4"}) + Line("2026-12-8 10:3:0", "0", {"x"}) + "</end>",
         1, 3, 1, 0, 75, 25, 0, {{4, 4, 7.0 / 4}}},
        {"truncated percentages, other states are errors",
         Line("2026-1-1 0:0:0", "0", {}) + Line("2026-1-1 0:0:1", "2", {}) + Line("2026-1-1 0:0:2", "7", {}),
         0, 1, 0, 2, 33, 0, 66, {}},
        {"a non-numeric or empty state is an error",
         Line("2026-1-1 0:0:0", "ok", {"1"}) + Line("2026-1-1 0:0:1", "", {"1"}) + Line("2026-1-1 0:0:2", "1x", {"1"}),
         1, 0, 0, 3, 0, 0, 100, {{3, 1, 1}}},
        {"all-negative values keep their true maximum",
         Line("2026-1-1 0:0:0", "0", {"-5", "-1.5"}) + Line("2026-1-1 0:0:1", "0", {"-3", "-2.5"}),
         2, 2, 0, 0, 100, 0, 0, {{2, -3, -4}, {2, -1.5, -2}}},
        {"short lines leave the missing values empty, not shifted",
         Line("2026-1-1 0:0:0", "0", {"10", "20"}) + "m1$Ping$2026-1-1 0:0:1$0$short$0$1$30$\r\n"
             + "m1$Ping$2026-1-1 0:0:2$0$shorter\r\n",
         2, 3, 0, 0, 100, 0, 0, {{2, 30, 20}, {1, 20, 20}}},
        {"lines with too few fields or a bad time are left out",
         "a$b$c$d\r\n" + Line("yesterday", "0", {"1"}) + Line("2026-1-1 0:0:0", "0", {"5"}) + "\r\n",
         1, 1, 0, 0, 100, 0, 0, {{1, 5, 5}}},
        {"empty reply", "</end>", 1, 0, 0, 0, 0, 0, 0, {{0, 0, none}}},
    };
    for (const ParseCase &c : cases) {
        SCOPED_TRACE(c.name);
        CReportData data;
        data.Parse(QByteArray::fromStdString(c.reply), c.items);
        EXPECT_EQ(data.Count(CReportData::Normal), c.normal);
        EXPECT_EQ(data.Count(CReportData::Danger), c.danger);
        EXPECT_EQ(data.Count(CReportData::Error), c.error);
        EXPECT_EQ(data.Total(), c.normal + c.danger + c.error);
        EXPECT_EQ(data.Percent(CReportData::Normal), c.normalPercent);
        EXPECT_EQ(data.Percent(CReportData::Danger), c.dangerPercent);
        EXPECT_EQ(data.Percent(CReportData::Error), c.errorPercent);
        ASSERT_EQ(data.ItemCount(), c.items);
        for (size_t item = 0; item < c.statistics.size(); ++item) {
            const auto &[count, maximum, average] = c.statistics[item];
            const CReportData::ItemStatistics &s = data.Statistics(int(item));
            EXPECT_EQ(s.count, count) << "item " << item;
            EXPECT_DOUBLE_EQ(s.maximum, maximum) << "item " << item;
            if (std::isnan(average))
                EXPECT_TRUE(std::isnan(s.Average())) << "item " << item;
            else
                EXPECT_DOUBLE_EQ(s.Average(), average) << "item " << item;
        }
    }
}

TEST(ReportData, LinesKeepTheirSlotsOnTheTimeAxis)
{
    CReportData data;
    data.Parse(QByteArray::fromStdString(Line("2026-12-8 10:0:0", "0", {"1", "a b"}, "r1")
                                         + "m1$Ping$2026-12-8 10:0:5$1$r2$0$0$\r\n"
                                         + Line("2026-12-8 9:59:0", "2", {"3", "c"}, "r3") + "</end>"),
               2);
    ASSERT_EQ(data.LineCount(), 3);
    EXPECT_TRUE(std::isnan(data.Value(1, 0)));
    EXPECT_TRUE(std::isnan(data.Value(1, 1)));
    EXPECT_DOUBLE_EQ(data.Value(2, 0), 3);
    EXPECT_EQ(data.ValueText(0, 1), "a b");
    EXPECT_EQ(data.ValueText(1, 0), "");
    EXPECT_EQ(data.Remark(2), "r3");
    EXPECT_EQ(data.TimeText(1), "2026-12-8 10:0:5");
    EXPECT_EQ(data.Time(1) - data.Time(0), 5);
    // Out-of-order lines still give the true first and last times.
    EXPECT_EQ(data.FirstTime(), data.Time(2));
    EXPECT_EQ(data.LastTime(), data.Time(1));
    // "</end>" is not part of the last line.
    EXPECT_FALSE(data.Text().contains("</end>"));
}

TEST(ReportData, TimesAreSecondsSinceTheEpochAndBack)
{
    struct TimeCase
    {
        const char *text;
        bool valid;
        int64_t seconds;
    };
    const TimeCase cases[] = {
        {"1970-1-1 0:0:0", true, 0},
        {"2000-3-1 0:0:0", true, 951868800},
        {"2026-12-08 23:59:59", true, 1796774399},
        {"1969-12-31 23:59:59", true, -1},
        {"2026-13-1 0:0:0", false, 0},
        {"2026-1-1 24:0:0", false, 0},
        {"2026-1-1 0:0", false, 0},
        {"2026-1-1 0:0:0x", false, 0},
        {"", false, 0},
    };
    for (const TimeCase &c : cases) {
        SCOPED_TRACE(c.text);
        int64_t seconds = 0;
        ASSERT_EQ(CReportData::ParseTime(c.text, seconds), c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(seconds, c.seconds);
        const CReportData::Civil civil = CReportData::ToCivil(seconds);
        EXPECT_EQ(CReportData::FromCivil(civil), seconds);
    }
}

const char *const Library = R"(<?xml version="1.0" encoding="gb2312"?>
<MonitorLibrary>
  <Monitor Id="Ping" Label="连通性" Name="Ping">
    <Param Name="Host"/>
    <StateCondition><Item ShowText="正常" DefaultVlaue="[往返时间 <= 20]"/><Item DefaultVlaue="[往返时间 < 5]"/></StateCondition>
    <Return>
      <Item Type="Float" Name="RoundTrip" Label="往返时间" Unit="ms" Primary="1" Drawtable="1" Drawimage="1" DrawMeasure="1"/>
      <Item Type="String" Name="Status" Label="状态"/>
      <Other Name="ignored"/>
    </Return>
    <Return><Item Name="SecondReturnIgnored"/></Return>
  </Monitor>
  <Monitor Id="Bare" Name="NoReturn"/>
</MonitorLibrary>
)";

TEST(MonitorLibrary, ReadsOnlyTheAskedKindsFirstReturn)
{
    // The library is GBK text, as installed.
    const QByteArray gbk = QStringEncoder("GBK")(QString::fromUtf8(Library));
    CMonitorLibrary library;
    ASSERT_TRUE(library.Parse(gbk, "Ping")) << library.Error().toStdString();
    ASSERT_EQ(library.Items().size(), 2u);
    EXPECT_EQ(library.Items()[0].label, QStringLiteral("往返时间"));
    EXPECT_EQ(library.Items()[0].unit, QStringLiteral("ms"));
    EXPECT_TRUE(library.Items()[0].IsFloat());
    EXPECT_TRUE(library.Items()[1].IsText());
    EXPECT_EQ(library.Items()[1].unit, QString());
    EXPECT_EQ(library.KindLabel(), QStringLiteral("连通性"));

    ASSERT_TRUE(library.Parse(gbk, "Bare"));
    EXPECT_TRUE(library.Items().empty());
    EXPECT_EQ(library.KindLabel(), QStringLiteral("NoReturn"));

    // Neither an unknown kind nor a broken file keeps another kind's items.
    ASSERT_TRUE(library.Parse(gbk, "Ping"));
    EXPECT_FALSE(library.Parse(gbk, "Missing"));
    EXPECT_TRUE(library.Items().empty());
    EXPECT_TRUE(library.Error().contains(QStringLiteral("Missing")));
    ASSERT_TRUE(library.Parse(gbk, "Ping"));
    EXPECT_FALSE(library.Parse("<MonitorLibrary><Monitor Id=\"Ping\"><Return>", "Ping"));
    EXPECT_TRUE(library.Items().empty());
    EXPECT_FALSE(library.Load("/nonexistent/MonitorLibrary.config", "Ping"));
    EXPECT_TRUE(library.Error().contains(QStringLiteral("/nonexistent/MonitorLibrary.config")));
}

} // namespace
