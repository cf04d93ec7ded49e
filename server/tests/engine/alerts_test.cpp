#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "orb/wire/codepage.h"
#include "server/core/schema.h"
#include "server/engine/alerts/alertdelivery.h"
#include "server/engine/alerts/alerttracker.h"
#include "server/engine/alerts/scriptrunner.h"
#include "server/engine/enginestats.h"
#include "server/engine/monitorconfig.h"
#include "server/storage/sqlitestorage.h"
#include "server/tests/engine/loopbackservers.h"
#include "testsupport/servertest.h"
#include "services/types/alertlogobj.h"
#include "services/types/tablefactory.h"

namespace {

std::shared_ptr<AlertRule> rule(const char *sendType, const char *counts, int level = 0)
{
    auto made = std::make_shared<AlertRule>();
    made->id = "r" + std::string(sendType);
    made->name = "rule";
    made->ruleType = "1";
    made->level = level;
    made->setSendRule(sendType, counts);
    made->watched = {"device"};
    return made;
}

class AlertTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_storage = std::make_unique<SqliteStorage>(m_dir.file("alerts.db"), domainFactory());
        m_storage->open(schema::all());
        m_monitor.id = "m1";
        m_monitor.deviceId = "device";
        m_monitor.text = orb::fromUtf8("端口检测");
    }

    // Feeds the states to a fresh tracker and returns the counts at which it sent.
    std::vector<int> sentAt(std::shared_ptr<AlertRule> watching, const std::vector<int> &states)
    {
        AlertTracker tracker;
        tracker.reset({watching}, *m_storage);
        std::vector<int> sent;
        for (std::size_t i = 0; i < states.size(); ++i) {
            std::vector<AlertJob> jobs;
            tracker.observe(m_monitor, {"m1", "device", "group"}, states[i], "x", 0, true, jobs);
            if (!jobs.empty())
                sent.push_back(int(i + 1));
        }
        return sent;
    }

    AlertJob job(const char *ruleType, std::map<std::string, std::string> params)
    {
        auto made = rule("0", "1");
        made->ruleType = ruleType;
        made->params = std::move(params);
        return {made, "m1", m_monitor.text, 2, "Status=closed", 1700000000};
    }

    std::vector<std::unique_ptr<MtxRecord>> logs()
    {
        return m_storage->select(schema::alertLogs, Filter::all());
    }

    TempFolder m_dir;
    std::unique_ptr<SqliteStorage> m_storage;
    MonitorConfig m_monitor;
    EngineStats m_stats;
};

} // namespace

TEST_F(AlertTest, SendRulesCountConsecutiveMatchingResults)
{
    // A monitor that goes bad for five results, recovers, and goes bad again.
    const std::vector<int> states = {2, 2, 2, 2, 2, 0, 2, 2, 2};
    EXPECT_EQ(sentAt(rule("0", "3"), states), (std::vector<int>{3, 4, 5, 9})) << "always from the 3rd";
    EXPECT_EQ(sentAt(rule("1", "2"), states), (std::vector<int>{2, 8})) << "once at the 2nd";
    EXPECT_EQ(sentAt(rule("2", "2|2"), states), (std::vector<int>{2, 4, 8})) << "at the 2nd and every 2nd after";
    EXPECT_EQ(sentAt(rule("2", "1|3"), states), (std::vector<int>{1, 4, 7}));
    // Missing or non-positive counts count as 1.
    EXPECT_EQ(sentAt(rule("1", ""), states), (std::vector<int>{1, 7}));
    EXPECT_EQ(sentAt(rule("2", "-4|0"), {2, 2, 2}), (std::vector<int>{1, 2, 3}));
    // Level: warning-level rules count warnings and errors, error-level rules errors only.
    EXPECT_EQ(sentAt(rule("0", "1", 0), {1, 2, 0}), (std::vector<int>{1, 2}));
    EXPECT_EQ(sentAt(rule("0", "1", 1), {1, 2, 1}), (std::vector<int>{2}));
}

TEST_F(AlertTest, CountsSurviveAReloadAndAlertingControlPausesThem)
{
    auto watching = rule("1", "3");
    {
        AlertTracker tracker;
        tracker.reset({watching}, *m_storage);
        std::vector<AlertJob> jobs;
        for (int i = 0; i < 2; ++i)
            tracker.observe(m_monitor, {"m1", "device"}, 2, "x", 0, true, jobs);
        tracker.observe(m_monitor, {"m1", "device"}, 2, "x", 0, false, jobs); // alerting off: not counted
        tracker.save(*m_storage);
        EXPECT_TRUE(jobs.empty());
        EXPECT_EQ(tracker.count(watching->id, "m1"), 2);
    }
    AlertTracker restarted;
    restarted.reset({watching}, *m_storage);
    EXPECT_EQ(restarted.count(watching->id, "m1"), 2);
    std::vector<AlertJob> jobs;
    restarted.observe(m_monitor, {"m1", "device"}, 2, "x", 0, true, jobs);
    EXPECT_EQ(jobs.size(), 1u) << "the third result after the restart is the third";
    // A rule watching nothing in the chain ignores the monitor.
    AlertTracker other;
    other.reset({watching}, *m_storage);
    other.observe(m_monitor, {"m2", "elsewhere"}, 2, "x", 0, true, jobs);
    EXPECT_EQ(jobs.size(), 1u);
}

TEST_F(AlertTest, DeliversMailThroughSmtpOrToTheSpool)
{
    SmtpSink sink;
    DeliveryOptions options;
    options.smtpHost = "127.0.0.1";
    options.smtpPort = sink.port();
    AlertDelivery delivery(*m_storage, m_stats, options);
    AlertJob mail = job("0", {{"MailAddress", "ops@localhost"}, {"MailSubject", orb::fromUtf8("端口关闭")}});
    mail.remark = ".leading dot";
    auto outcome = delivery.deliver(mail);
    EXPECT_TRUE(outcome.sent) << outcome.reason;
    ASSERT_EQ(sink.messages().size(), 1u);
    EXPECT_NE(sink.messages()[0].find("Subject: 端口关闭"), std::string::npos) << sink.messages()[0];
    EXPECT_NE(sink.messages()[0].find("To: <ops@localhost>"), std::string::npos);
    EXPECT_FALSE(delivery.deliver(job("0", {{"MailAddress", "a>b@localhost"}})).sent) << "header injection";

    options.smtpPort = closedPort();
    AlertDelivery unreachable(*m_storage, m_stats, options);
    auto failed = unreachable.deliver(job("0", {{"MailAddress", "ops@localhost"}}));
    EXPECT_FALSE(failed.sent);

    DeliveryOptions spooled;
    spooled.spoolDir = m_dir.file("spool");
    AlertDelivery spool(*m_storage, m_stats, spooled);
    EXPECT_TRUE(spool.deliver(job("0", {{"MailAddress", "ops@localhost"}})).sent);
    ASSERT_EQ(std::distance(std::filesystem::directory_iterator(spooled.spoolDir), {}), 1);

    // Every send is logged with its real outcome.
    auto entries = logs();
    ASSERT_EQ(entries.size(), 4u);
    int succeeded = 0;
    for (auto &entry : entries)
        succeeded += entry->get(AlertLogObj::IfSucceed) == orb::fromUtf8("成功");
    EXPECT_EQ(succeeded, 2);
    EXPECT_EQ(m_stats.alertsSent, 2u);
    EXPECT_EQ(m_stats.alertsFailed, 2u);
}

TEST_F(AlertTest, ShortMessagesGoToTheOutboxAndLongContentIsCutWhole)
{
    DeliveryOptions options;
    options.outboxDir = m_dir.file("outbox");
    AlertDelivery delivery(*m_storage, m_stats, options);
    AlertJob sms = job("3", {{"MobileNumber", "13800000000"}});
    sms.remark.clear();
    for (int i = 0; i < 600; ++i)
        sms.remark += orb::fromUtf8("错");
    EXPECT_TRUE(delivery.deliver(sms).sent);
    auto file = *std::filesystem::directory_iterator(options.outboxDir);
    std::ifstream in(file.path());
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_TRUE(text.starts_with("To: 13800000000\n")) << text.substr(0, 40);

    auto entries = logs();
    ASSERT_EQ(entries.size(), 1u);
    const std::string &content = entries[0]->get(AlertLogObj::Content);
    EXPECT_LE(content.size(), 1023u);
    EXPECT_EQ(orb::fromUtf8(orb::toUtf8(content)), content) << "cut on a character boundary";
    EXPECT_FALSE(delivery.deliver(job("3", {})).sent) << "no number";
}

TEST_F(AlertTest, ScriptsRunFromTheirFolderOnlyWithoutAShell)
{
    std::string folder = m_dir.file("scripts");
    ::mkdir(folder.c_str(), 0755);
    std::string marker = m_dir.file("ran");
    {
        std::ofstream script(folder + "/notify.sh");
        script << "#!/bin/sh\nprintf '%s|%s' \"$1\" \"$2\" > '" << marker << "'\n";
    }
    {
        std::ofstream script(folder + "/slow.sh");
        script << "#!/bin/sh\nsleep 5\n";
    }
    ::chmod((folder + "/notify.sh").c_str(), 0755);
    ::chmod((folder + "/slow.sh").c_str(), 0755);

    DeliveryOptions options;
    options.scriptDir = folder;
    options.scriptLimit = std::chrono::milliseconds(300);
    AlertDelivery delivery(*m_storage, m_stats, options);
    auto ran = delivery.deliver(job("2", {{"ScriptPath", "notify.sh"}}));
    EXPECT_TRUE(ran.sent) << ran.reason;
    std::ifstream written(marker);
    std::string args((std::istreambuf_iterator<char>(written)), {});
    EXPECT_EQ(args, "m1|2") << "arguments arrive as separate argv entries";

    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(delivery.deliver(job("2", {{"ScriptPath", "slow.sh"}})).sent);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << "stopped at its time limit";

    for (const char *refused : {"../notify.sh", "..", "sub/notify.sh", "/bin/sh", "-x", "notify.sh; rm -rf /", ""}) {
        auto outcome = delivery.deliver(job("2", {{"ScriptPath", refused}}));
        EXPECT_FALSE(outcome.sent) << refused;
    }
    EXPECT_FALSE(scriptrunner::isSafeName("../notify.sh"));
    EXPECT_FALSE(scriptrunner::isSafeName("a\\b"));
    EXPECT_TRUE(scriptrunner::isSafeName("notify.sh"));

    DeliveryOptions none;
    AlertDelivery unconfigured(*m_storage, m_stats, none);
    EXPECT_FALSE(unconfigured.deliver(job("2", {{"ScriptPath", "notify.sh"}})).sent) << "no script folder";
}
