// How fast AccessDesk shows a large operation log and a large user list,
// through the real wire path from a keelmon-server process on loopback,
// compared with the bare call of the same method (the lower bound) in the
// same run. The client's peak memory (this process, the server apart) is
// reported as a counter.

#include <benchmark/benchmark.h>

#include <fstream>

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTableView>

#include "frame/localtext.h"
#include "modules/access/syslogdoc.h"
#include "modules/access/userdoc.h"
#include "orb/net/orbclient.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "server/core/schema.h"
#include "server/storage/storage.h"
#include "services/types/syslogobj.h"
#include "services/types/tablefactory.h"
#include "services/types/userobj.h"
#include "testsupport/recordingapp.h"
#include "testsupport/referenceserver.h"
#include "testsupport/tempfolder.h"

namespace {

constexpr int LogRows = 100000;
constexpr int Users = 10000;
constexpr const char *Department = "bench-department";

class SecurityService : public OrbService
{
public:
    SecurityService() : OrbService("SecurityService") {}
    std::unique_ptr<MtxObj> createObject(const char *typeName) override
    {
        return domainFactory().createObject(typeName);
    }
};

// The server with its data, the logged-in client and the application, made once.
struct Setup
{
    TempFolder folder;
    QProcess server;
    std::unique_ptr<OrbClient> client;
    SecurityService service;
    Recording<CProApp> app;
    QString day; // of the benchmark's log rows

    // Yesterday holds exactly the benchmark's rows (the logins go to today).
    static void Fill(Storage &storage)
    {
        auto transaction = storage.begin(true);
        const QDate date = QDate::currentDate().addDays(-1);
        const std::string stamp =
            QStringLiteral("%1-%2-%3 10:0:0").arg(date.year()).arg(date.month()).arg(date.day()).toStdString();
        for (int i = 0; i < LogRows; ++i) {
            SysLogObj row;
            row.set(SysLogObj::ID, "log-" + std::to_string(i));
            row.set(SysLogObj::Type, toLocal(QStringLiteral("操作")));
            row.set(SysLogObj::Date, stamp);
            row.set(SysLogObj::User, "admin");
            row.set(SysLogObj::Title, toLocal(QStringLiteral("添加元素")));
            row.set(SysLogObj::Description, "element " + std::to_string(i));
            storage.insert(schema::sysLogs, row);
        }
        for (int i = 0; i < Users; ++i) {
            UserObj user;
            user.set(UserObj::LoginName, "user" + std::to_string(i));
            user.set(UserObj::AllName, toLocal(QStringLiteral("用户%1").arg(i)));
            user.set(UserObj::RoleName, toLocal(QStringLiteral("系统管理员")));
            user.set(UserObj::DepartmentID, Department);
            storage.insert(schema::users, user);
        }
        transaction->commit();
    }

    Setup()
    {
        const ServerOptions options = ReferenceServer::loopbackOptions(folder.path(), false);
        {
            AppServer filler(options);
            filler.start();
            Fill(filler.storage());
            filler.stop();
        }
        day = CSysLogDoc::DateText(QDate::currentDate().addDays(-1));

        server.setProcessChannelMode(QProcess::MergedChannels);
        server.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/keelmon-server"),
                     {QStringLiteral("--db"), QString::fromStdString(options.database), QStringLiteral("--port"),
                      QStringLiteral("0"), QStringLiteral("--discovery-port"), QStringLiteral("0"),
                      QStringLiteral("--max-log-rows"), QString::number(LogRows)});
        const QRegularExpression started(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+), discovery on UDP (\\d+)"));
        QString output;
        QRegularExpressionMatch match;
        for (int attempt = 0; attempt < 100 && !match.hasMatch(); ++attempt) { // at most 10 s
            server.waitForReadyRead(100);
            output += QString::fromLocal8Bit(server.readAll());
            match = started.match(output);
        }
        if (!match.hasMatch())
            throw std::runtime_error("keelmon-server did not start: " + output.toStdString());

        client = std::make_unique<OrbClient>("127.0.0.1", match.captured(1).toInt(), match.captured(2).toInt());
        client->setDiscoveryTarget("127.0.0.1");
        client->setClient(client.get());
        MtxUserSession session;
        session.setUserName("admin");
        MtxStatus status;
        client->login(status, "admin", ReferenceServer::AdminPassword, "version", session);
        if (!status.succeeded())
            throw std::runtime_error(status.getMessage());
        service.setSession(session);
        service.setClient(client.get());
        app.RegisterService(QStringLiteral("SecurityService"), &service);
    }
    ~Setup()
    {
        server.terminate();
        server.waitForFinished(5000);
    }
};

Setup &Data()
{
    EnsureApplication();
    static Setup setup;
    return setup;
}

// The peak counts from here on (the set-up and earlier benchmarks apart).
void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// VmHWM since the last ResetPeak.
double PeakMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// The list shown in a table view of the size of a document window.
void Show(QAbstractItemModel &model)
{
    QTableView view;
    view.resize(1000, 700);
    view.setModel(&model);
    view.show();
    QApplication::processEvents();
}

void BM_OperationLog100k(benchmark::State &state)
{
    Setup &data = Data();
    ResetPeak();
    for (auto _ : state) {
        CSysLogDoc doc;
        doc.SetRange(QDate::currentDate().addDays(-1), QDate::currentDate().addDays(-1));
        if (!doc.Query() || doc.Records().rowCount() < LogRows)
            state.SkipWithError("the query did not bring the rows");
        Show(doc.Records());
    }
    state.counters["peak_MB"] = PeakMegabytes();
    (void)data;
}

void BM_OperationLog100kBareCall(benchmark::State &state)
{
    Setup &data = Data();
    const std::string day = data.day.toStdString();
    const MtxString from(day.c_str()), to(day.c_str());
    ResetPeak();
    for (auto _ : state) {
        MtxArray rows;
        data.service.invoke("selectSysLogArray", {&from, &to}, &rows);
        benchmark::DoNotOptimize(rows.size());
    }
    state.counters["peak_MB"] = PeakMegabytes();
}

void BM_UserList10k(benchmark::State &state)
{
    Data();
    ResetPeak();
    for (auto _ : state) {
        CUserDoc doc;
        if (!doc.SelectDepartment(QString::fromLatin1(Department)) || doc.Users().rowCount() != Users)
            state.SkipWithError("the users did not come");
        Show(doc.Users());
    }
    state.counters["peak_MB"] = PeakMegabytes();
}

void BM_UserList10kBareCall(benchmark::State &state)
{
    Setup &data = Data();
    const MtxString department(Department);
    ResetPeak();
    for (auto _ : state) {
        MtxArray users;
        data.service.invoke("selectUserArray", {&department}, &users);
        benchmark::DoNotOptimize(users.size());
    }
    state.counters["peak_MB"] = PeakMegabytes();
}

} // namespace

BENCHMARK(BM_OperationLog100kBareCall)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OperationLog100k)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_UserList10kBareCall)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_UserList10k)->Unit(benchmark::kMillisecond)->Iterations(5);
