#include "modules/alarm/alertdoc.h"

#include "frame/alertlog/alertlogdialog.h"
#include "frame/alertlog/servicealertlogsource.h"
#include "frame/identifiers.h"
#include "frame/localtext.h"
#include "frame/proapp.h"
#include "frame/servicecall.h"
#include "frame/waitcursor.h"
#include "modules/alarm/alertruledialog.h"
#include "modules/alarm/monitorselectdialog.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "services/types/elementobj.h"

namespace {

// The detail view holds at most 1023 bytes.
constexpr int DetailBytes = 1023;

} // namespace

CAlertDoc::CAlertDoc()
{
    OrbService *alerts = nullptr;
    if (CProApp *app = GetApp()) {
        m_elementService = app->GetService(QStringLiteral("ElementService"));
        alerts = app->GetService(QString::fromLatin1(CAlertRuleStore::ServiceName));
    }
    m_store = std::make_unique<CAlertRuleStore>(alerts);
}

CAlertDoc::~CAlertDoc() = default;

void CAlertDoc::SetStore(std::unique_ptr<CAlertRuleStore> store)
{
    m_store = std::move(store);
    m_store->SetCaller(m_window);
}

void CAlertDoc::SetWindow(QWidget *window)
{
    m_window = window;
    m_store->SetCaller(window);
}

void CAlertDoc::Tell(const QString &text) const
{
    if (CProApp *app = GetApp())
        app->ShowMessage(text);
}

bool CAlertDoc::FetchRules(int type)
{
    CWaitCursor wait;
    m_type = type;
    m_selectedId.clear();
    m_loaded = false;
    m_working = CRuleRecords();
    std::vector<AlertRuleObj> rules;
    const bool fetched = m_store->FetchRules(type, rules);
    std::vector<std::string> ids;
    ids.reserve(rules.size());
    for (const AlertRuleObj &rule : rules)
        ids.push_back(rule.get(AlertRuleObj::RuleID));
    MtxStatus failure;
    const auto states = m_store->ReadEnabled(ids, failure);
    m_rules.SetRules(std::move(rules), states);
    if (!failure.succeeded()) {
        const auto unknown = std::count(states.begin(), states.end(), std::nullopt);
        Tell(QStringLiteral("有%1条报警规则的状态无法读取(%2)，显示为未知")
                 .arg(unknown)
                 .arg(fromLocal(failure.getMessage())));
    }
    return fetched;
}

bool CAlertDoc::SelectRule(int row)
{
    if (row < 0 || row >= m_rules.rowCount())
        return false;
    CWaitCursor wait;
    m_selectedId = m_rules.Rule(row).get(AlertRuleObj::RuleID);
    m_loaded = m_store->Load(m_selectedId, m_working);
    return m_loaded;
}

QString CAlertDoc::DetailText() const
{
    const AlertRuleParameterObj &parameter = m_working.parameter;
    const QStringList lines{
        QStringLiteral("报警规则ID: ") + fromLocal(m_working.rule.get(AlertRuleObj::RuleID)),
        QStringLiteral("报警规则名称: ") + fromLocal(m_working.rule.get(AlertRuleObj::RuleName)),
        QStringLiteral("报警类型: ") + fromLocal(parameter.get(AlertRuleParameterObj::RuleType)),
        QStringLiteral("报警发送类型: ") + fromLocal(parameter.get(AlertRuleParameterObj::SendType)),
        QStringLiteral("报警级别: ") + fromLocal(parameter.get(AlertRuleParameterObj::AlertLevel)),
        QStringLiteral("报警是否启动: ") + fromLocal(parameter.get(AlertRuleParameterObj::Enabled)),
    };
    QString text = lines.join(QStringLiteral("\r\n"));
    while (int(toLocal(text).size()) > DetailBytes)
        text.chop(1);
    return text;
}

bool CAlertDoc::LoadElementTree()
{
    auto tree = std::make_unique<MtxTree>(std::make_unique<ElementObj>());
    const MtxString all("-1");
    CWaitCursor wait;
    if (!CallService(m_elementService, "findElementTree1", {&all}, tree.get(), m_window))
        return false;
    m_elements.SetTree(std::move(tree));
    return true;
}

bool CAlertDoc::RequireSelection(const char *refusal) const
{
    if (HasSelection())
        return true;
    Tell(QString::fromUtf8(refusal));
    return false;
}

void CAlertDoc::Done(const char *message)
{
    Tell(QString::fromUtf8(message));
    const std::string id = m_selectedId;
    Refresh();
    const int row = m_rules.RowOf(id);
    if (row >= 0)
        SelectRule(row);
}

bool CAlertDoc::RunEditor(CRuleRecords records, bool add)
{
    const CRuleRecords old = records;
    CAlertRuleDialog dialog(
        std::move(records), add,
        [this, add, &old](const CRuleRecords &now) { return add ? SaveNew(now) : SaveEdit(old, now); },
        [this](CRuleRecords &now) { return SelectMonitors(now); }, m_window);
    return dialog.exec() == QDialog::Accepted;
}

bool CAlertDoc::NewRule()
{
    CRuleRecords records;
    records.SetRuleId(toLocal(Identifiers::NewId()));
    return RunEditor(std::move(records), true);
}

bool CAlertDoc::SaveNew(const CRuleRecords &records)
{
    if (!m_store->Add(records))
        return false;
    m_selectedId = records.RuleId();
    Done("报警增加成功!");
    return true;
}

bool CAlertDoc::EditRule()
{
    if (!RequireSelection("请选择要编辑的报警!"))
        return false;
    // A fresh copy: what the server holds now is what is replaced, and what
    // is put back should the replacement fail.
    CRuleRecords fresh;
    if (!m_store->Load(m_selectedId, fresh))
        return false;
    return RunEditor(std::move(fresh), false);
}

bool CAlertDoc::SaveEdit(const CRuleRecords &old, const CRuleRecords &records)
{
    if (!m_store->Replace(old, records))
        return false;
    Done("报警修改成功!");
    return true;
}

bool CAlertDoc::DeleteRule()
{
    if (!RequireSelection("请选择要删除的报警!"))
        return false;
    CRuleRecords fresh;
    if (!m_store->Load(m_selectedId, fresh))
        return false;
    CProApp *app = GetApp();
    const QString name = fromLocal(fresh.rule.get(AlertRuleObj::RuleName));
    if (!app || !app->AskQuestion(QStringLiteral("确定删除报警规则“%1”吗？").arg(name)))
        return false;
    if (!m_store->Remove(fresh))
        return false;
    Done("报警删除成功!");
    return true;
}

bool CAlertDoc::SwitchRule(bool on)
{
    if (!RequireSelection(on ? "请选择要启动的报警!" : "请选择要停止的报警!"))
        return false;
    if (!m_store->SetEnabled(m_selectedId, on))
        return false;
    Done(on ? "报警启动成功!" : "报警停止成功!");
    return true;
}

void CAlertDoc::ShowLog()
{
    if (!RequireSelection("请选择要查看日志的报警!"))
        return;
    CServiceAlertLogSource source = CServiceAlertLogSource::ByRule(m_store->Service(), m_selectedId, m_window);
    CAlertLogDialog dialog(source, m_window);
    dialog.SetClearQuestion(QStringLiteral("确定清除这条报警规则的全部报警日志吗？"));
    dialog.exec();
}

bool CAlertDoc::SelectMonitors(CRuleRecords &records)
{
    // The inventory as it is now; without it the choice would be stale.
    if (!LoadElementTree())
        return false;
    CMonitorSelectDialog dialog(m_elements, records.monitors, m_window);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    records.monitors = dialog.Monitors(records.RuleId());
    return true;
}
