// How fast AccessDesk shows a large operation log and a large user list,
// through the real wire path from the in-process reference server, compared
// with the bare call of the same method (the lower bound) in the same run.
// Peak memory of the process is reported as a counter.

#include <sys/resource.h>

#include <benchmark/benchmark.h>

#include <QApplication>
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
    ReferenceServer server{false};
    std::unique_ptr<OrbClient> client;
    SecurityService service;
    Recording<CProApp> app;
    QString day; // of the benchmark's log rows

    Setup()
    {
        if (!server.start())
            throw std::runtime_error(server.error());
        Storage &storage = server.server().storage();
        auto transaction = storage.begin(true);
        // Yesterday holds exactly the benchmark's rows (the logins go to today).
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

        client = std::make_unique<OrbClient>("127.0.0.1", server.port(), server.discoveryPort());
        MtxUserSession session;
        session.setUserName("admin");
        MtxStatus status;
        client->login(status, "admin", ReferenceServer::AdminPassword, "version", session);
        if (!status.succeeded())
            throw std::runtime_error(status.getMessage());
        service.setSession(session);
        service.setClient(client.get());
        app.RegisterService(QStringLiteral("SecurityService"), &service);
        day = CSysLogDoc::DateText(date);
    }
};

Setup &Data()
{
    EnsureApplication();
    static Setup setup;
    return setup;
}

double PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
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
    for (auto _ : state) {
        MtxArray rows;
        data.service.invoke("selectSysLogArray", {&from, &to}, &rows);
        benchmark::DoNotOptimize(rows.size());
    }
}

void BM_UserList10k(benchmark::State &state)
{
    Data();
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
    for (auto _ : state) {
        MtxArray users;
        data.service.invoke("selectUserArray", {&department}, &users);
        benchmark::DoNotOptimize(users.size());
    }
}

} // namespace

BENCHMARK(BM_OperationLog100kBareCall)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OperationLog100k)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_UserList10kBareCall)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_UserList10k)->Unit(benchmark::kMillisecond)->Iterations(5);
