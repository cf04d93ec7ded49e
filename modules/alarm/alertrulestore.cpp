#include "modules/alarm/alertrulestore.h"

#include <QString>

#include "frame/localtext.h"
#include "frame/proapp.h"
#include "frame/servicecall.h"
#include "orb/net/orbservice.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"

namespace {

void Tell(const QString &text)
{
    if (CProApp *app = CProApp::instance())
        app->ShowMessage(text);
}

// Moves the items of type T out of array into records.
template <class T>
void TakeItems(MtxArray &array, std::vector<T> &records)
{
    records.clear();
    for (const auto &item : array) {
        if (const auto *record = dynamic_cast<const T *>(item.get()))
            records.push_back(*record);
    }
}

} // namespace

CAlertRuleStore::CAlertRuleStore(OrbService *service) : m_service(service) {}

CAlertRuleStore::~CAlertRuleStore() = default;

MtxStatus CAlertRuleStore::Invoke(const char *method, std::initializer_list<const MtxObj *> args, MtxObj *response)
{
    return m_service->invoke(method, args, response);
}

bool CAlertRuleStore::HasService() const
{
    if (!m_service)
        Tell(QStringLiteral("报警服务 \"%1\" 没有加载：请检查 Keelsys.ini 的 [SYSTEMSERVICE]")
                 .arg(QLatin1String(ServiceName)));
    return m_service != nullptr;
}

bool CAlertRuleStore::Call(const char *method, std::initializer_list<const MtxObj *> args, MtxObj *response)
{
    if (!HasService())
        return false;
    const MtxStatus status = RunServerCall([&] { return Invoke(method, args, response); }, m_caller);
    ShowCallFailure(status);
    return status.succeeded();
}

bool CAlertRuleStore::FetchRules(int type, std::vector<AlertRuleObj> &rules)
{
    rules.clear();
    MtxArray array;
    array.setFactory(m_service);
    bool ok;
    if (type < 0) {
        ok = Call("findAlertRuleArray", {}, &array);
    } else {
        const MtxString argument(std::to_string(type).c_str());
        ok = Call("refreshAlertRuleArray", {&argument}, &array);
    }
    if (ok)
        TakeItems(array, rules);
    return ok;
}

std::vector<std::optional<std::string>> CAlertRuleStore::ReadEnabled(const std::vector<std::string> &ids,
                                                                     MtxStatus &firstFailure)
{
    std::vector<std::optional<std::string>> states(ids.size());
    if (!m_service || ids.empty())
        return states;
    // One wait for all rows: the reads run one after the other off the
    // user-interface thread.
    const MtxStatus overall = RunServerCall(
        [&] {
            MtxStatus first;
            for (std::size_t row = 0; row < ids.size(); ++row) {
                const MtxString id(ids[row].c_str());
                AlertRuleParameterObj parameter;
                const MtxStatus status = Invoke("selectAlertRuleParameterObj", {&id}, &parameter);
                if (status.succeeded())
                    states[row] = parameter.get(AlertRuleParameterObj::Enabled);
                else if (first.succeeded())
                    first = status;
            }
            return first;
        },
        m_caller);
    firstFailure = overall;
    return states;
}

bool CAlertRuleStore::Load(const std::string &id, CRuleRecords &records)
{
    records = CRuleRecords();
    const MtxString argument(id.c_str());
    MtxArray typeParameters;
    MtxArray monitors;
    typeParameters.setFactory(m_service);
    monitors.setFactory(m_service);
    if (!Call("selectAlertRuleObj", {&argument}, &records.rule)
        || !Call("selectAlertRuleParameterObj", {&argument}, &records.parameter)
        || !Call("selectAlertSendTypeParameterObj", {&argument}, &records.send)
        || !Call("findAlertRuleTypeParameterArray", {&argument}, &typeParameters)
        || !Call("findAlertMonitorArray", {&argument}, &monitors)) {
        records = CRuleRecords();
        return false;
    }
    TakeItems(typeParameters, records.typeParameters);
    TakeItems(monitors, records.monitors);
    return true;
}

CAlertRuleStore::Steps CAlertRuleStore::Adds(const CRuleRecords &records)
{
    Steps steps{{"addAlertRule", &records.rule},
                {"addAlertRuleParameter", &records.parameter},
                {"addAlertSendTypeParameter", &records.send}};
    for (const auto &typeParameter : records.typeParameters)
        steps.push_back({"addRuleTypeParameter", &typeParameter});
    for (const auto &monitor : records.monitors)
        steps.push_back({"addAlertMonitorObj", &monitor});
    return steps;
}

CAlertRuleStore::Steps CAlertRuleStore::Deletes(const MtxObj &ruleId)
{
    return {{"deleteAlertRuleObj", &ruleId},
            {"deleteAlertRuleParameterObj", &ruleId},
            {"deleteAlertSendTypeParameterObj", &ruleId},
            {"deleteAlertRuleTypeParameterArray", &ruleId},
            {"deleteAlertMonitorObj", &ruleId}};
}

int CAlertRuleStore::Run(const Steps &steps, MtxStatus &failure)
{
    int failed = -1;
    failure = RunServerCall(
        [&] {
            for (std::size_t index = 0; index < steps.size(); ++index) {
                const MtxStatus status = Invoke(steps[index].method, {steps[index].argument}, nullptr);
                if (!status.succeeded()) {
                    failed = int(index);
                    return status;
                }
            }
            return MtxStatus();
        },
        m_caller);
    if (failed < 0 && !failure.succeeded())
        failed = 0; // the call machinery itself failed before any step
    return failed;
}

int CAlertRuleStore::RunShown(const Steps &steps)
{
    MtxStatus failure;
    const int failed = Run(steps, failure);
    ShowCallFailure(failure);
    return failed;
}

void CAlertRuleStore::Restore(const CRuleRecords &copy)
{
    const MtxString id(copy.RuleId().c_str());
    MtxStatus ignored;
    // What is left of the rule goes first (steps that find nothing may be
    // refused; that is fine), then the copy is added whole.
    for (const Step &step : Deletes(id))
        Run({step}, ignored);
    MtxStatus failure;
    if (Run(Adds(copy), failure) >= 0)
        Tell(QStringLiteral("报警规则“%1”未能恢复原样(%2)：请刷新列表并检查这条规则")
                 .arg(fromLocal(copy.rule.get(AlertRuleObj::RuleName)), fromLocal(failure.getMessage())));
}

bool CAlertRuleStore::Add(const CRuleRecords &records)
{
    if (!HasService())
        return false;
    const int failed = RunShown(Adds(records));
    if (failed > 0) {
        // Remove the half-made rule.
        const MtxString id(records.RuleId().c_str());
        MtxStatus ignored;
        for (const Step &step : Deletes(id))
            Run({step}, ignored);
    }
    return failed < 0;
}

bool CAlertRuleStore::Replace(const CRuleRecords &old, const CRuleRecords &now)
{
    if (!HasService())
        return false;
    const MtxString id(old.RuleId().c_str());
    Steps steps = Deletes(id);
    const Steps adds = Adds(now);
    steps.insert(steps.end(), adds.begin(), adds.end());
    const int failed = RunShown(steps);
    if (failed > 0)
        Restore(old);
    return failed < 0;
}

bool CAlertRuleStore::Remove(const CRuleRecords &old)
{
    if (!HasService())
        return false;
    const MtxString id(old.RuleId().c_str());
    const int failed = RunShown(Deletes(id));
    if (failed > 0)
        Restore(old);
    return failed < 0;
}

bool CAlertRuleStore::SetEnabled(const std::string &id, bool on)
{
    const MtxString argument(id.c_str());
    AlertRuleParameterObj old;
    if (!Call("selectAlertRuleParameterObj", {&argument}, &old))
        return false;
    AlertRuleParameterObj changed = old;
    changed.set(AlertRuleParameterObj::Enabled, on ? "1" : "0");
    const int failed = RunShown({{"deleteAlertRuleParameterObj", &argument}, {"addAlertRuleParameter", &changed}});
    if (failed == 1) {
        MtxStatus failure;
        if (Run({{"addAlertRuleParameter", &old}}, failure) >= 0)
            Tell(QStringLiteral("报警规则的参数未能恢复(%1)：请刷新列表并检查这条规则")
                     .arg(fromLocal(failure.getMessage())));
    }
    return failed < 0;
}
