// The rule list of 1,000 rules (fetch, one state read per rule, model and
// view) and the monitor selection on a 10,000-element inventory (fetch, model,
// dialog shown), each beside its bare lower bound measured in the same run:
// the same server calls made directly, with no model or widget.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListView>
#include <QTreeView>

#include "frame/elementtree/elementtreemodel.h"
#include "modules/alarm/alertrulestore.h"
#include "modules/alarm/monitorselectdialog.h"
#include "modules/alarm/rulelistdelegate.h"
#include "modules/alarm/rulelistmodel.h"
#include "orb/net/orbclient.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "server/core/schema.h"
#include "server/storage/storage.h"
#include "services/frame/tableservice.h"
#include "services/types/elementobj.h"
#include "services/types/servicetables.h"
#include "testsupport/benchinventory.h"
#include "testsupport/benchserver.h"

namespace {

constexpr int Rules = 1000;
constexpr int Watched = 100;

// One loopback server for the run with the rules and the bench inventory,
// and the two services logged in to it.
struct Site
{
    BenchServer server;
    std::unique_ptr<OrbClient> client;
    TableService alerts{alarmTypes()};
    TableService elements{inventoryTypes()};
    std::vector<AlertMonitorObj> watched;

    Site()
    {
        addRules();
        client = std::make_unique<OrbClient>("127.0.0.1", server.port(), server.server().discoveryPort());
        MtxUserSession session;
        session.setUserName("admin");
        MtxStatus status;
        client->login(status, "admin", ReferenceServer::AdminPassword, "version", session);
        for (OrbService *service : {static_cast<OrbService *>(&alerts), static_cast<OrbService *>(&elements)}) {
            service->setSession(session);
            service->setClient(client.get());
        }
        // The first monitor of the first devices is watched.
        for (int index = 0; index < Watched; ++index) {
            watched.emplace_back();
            watched.back().set(AlertMonitorObj::MonitorId, BenchElementId(index / BenchServer::DevicesPerGroup,
                                                                          index % BenchServer::DevicesPerGroup, 0));
        }
    }

    void addRules()
    {
        Storage &storage = server.server().storage();
        auto transaction = storage.begin(true);
        for (int index = 0; index < Rules; ++index) {
            const std::string id = "rule-" + std::to_string(index);
            AlertRuleObj rule;
            rule.set(AlertRuleObj::RuleID, id);
            rule.set(AlertRuleObj::RuleName, "bench rule " + std::to_string(index));
            rule.set(AlertRuleObj::AddDateTime, "2026-1-1 0:0:0");
            storage.insert(schema::alertRules, rule);
            AlertRuleParameterObj parameter;
            parameter.set(AlertRuleParameterObj::RuleID, id);
            parameter.set(AlertRuleParameterObj::RuleType, "0");
            parameter.set(AlertRuleParameterObj::Enabled, index % 3 ? "1" : "0");
            storage.insert(schema::alertRuleParameters, parameter);
        }
        transaction->commit();
    }
};

Site &site()
{
    static Site instance;
    return instance;
}

void BM_RuleList1000(benchmark::State &state)
{
    CAlertRuleStore store(&site().alerts);
    CRuleListModel model;
    QListView view;
    view.setItemDelegate(new CRuleListDelegate(&view));
    view.setModel(&model);
    view.resize(900, 600);
    view.show();
    for (auto _ : state) {
        std::vector<AlertRuleObj> rules;
        if (!store.FetchRules(-1, rules) || rules.size() != std::size_t(Rules)) {
            state.SkipWithError("the rules could not be fetched");
            break;
        }
        std::vector<std::string> ids;
        for (const AlertRuleObj &rule : rules)
            ids.push_back(rule.get(AlertRuleObj::RuleID));
        MtxStatus failure;
        const auto states = store.ReadEnabled(ids, failure);
        model.SetRules(std::move(rules), states);
        view.grab(); // lays the rows out and paints the visible ones
    }
    state.SetItemsProcessed(state.iterations() * Rules);
}
BENCHMARK(BM_RuleList1000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// The lower bound: the same 1 + 1,000 calls made directly, nothing shown.
void BM_BareRuleReads1000(benchmark::State &state)
{
    OrbService &alerts = site().alerts;
    for (auto _ : state) {
        MtxArray rules;
        rules.setFactory(&alerts);
        alerts.invoke("findAlertRuleArray", {}, &rules);
        for (const auto &item : rules) {
            const MtxString id(static_cast<const AlertRuleObj &>(*item).c_str(AlertRuleObj::RuleID));
            AlertRuleParameterObj parameter;
            alerts.invoke("selectAlertRuleParameterObj", {&id}, &parameter);
        }
    }
}
BENCHMARK(BM_BareRuleReads1000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void BM_MonitorSelection10k(benchmark::State &state)
{
    OrbService &elements = site().elements;
    CElementTreeModel model;
    for (auto _ : state) {
        auto tree = std::make_unique<MtxTree>(std::make_unique<ElementObj>());
        const MtxString all("-1");
        if (!elements.invoke("findElementTree1", {&all}, tree.get()).succeeded()) {
            state.SkipWithError("the inventory could not be fetched");
            break;
        }
        model.SetTree(std::move(tree));
        CMonitorSelectDialog dialog(model, site().watched);
        dialog.show();
        dialog.grab();
        state.PauseTiming(); // the check below is not part of opening
        const std::size_t checked = dialog.Monitors("r").size();
        state.ResumeTiming();
        if (checked != std::size_t(Watched)) {
            state.SkipWithError("the watched monitors are not all checked");
            break;
        }
    }
}
BENCHMARK(BM_MonitorSelection10k)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// The lower bound: the inventory fetched and read, nothing shown.
void BM_BareTreeFetch10k(benchmark::State &state)
{
    OrbService &elements = site().elements;
    for (auto _ : state) {
        MtxTree tree(std::make_unique<ElementObj>());
        const MtxString all("-1");
        elements.invoke("findElementTree1", {&all}, &tree);
    }
}
BENCHMARK(BM_BareTreeFetch10k)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
