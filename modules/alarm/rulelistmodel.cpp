#include "modules/alarm/rulelistmodel.h"

#include "frame/localtext.h"

CRuleListModel::CRuleListModel(QObject *parent) : QAbstractListModel(parent) {}

CRuleListModel::~CRuleListModel() = default;

void CRuleListModel::SetRules(std::vector<AlertRuleObj> rules, const std::vector<std::optional<std::string>> &enabled)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(rules.size());
    for (std::size_t row = 0; row < rules.size(); ++row) {
        State state = State::Unknown;
        if (row < enabled.size() && enabled[row])
            state = *enabled[row] == "1" ? State::On : State::Off;
        m_rows.push_back({std::move(rules[row]), state});
    }
    endResetModel();
}

void CRuleListModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int CRuleListModel::RowOf(const std::string &id) const
{
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].rule.get(AlertRuleObj::RuleID) == id)
            return int(row);
    }
    return -1;
}

int CRuleListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant CRuleListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row &row = m_rows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return fromLocal(row.rule.get(AlertRuleObj::RuleName));
    case IdRole:
        return fromLocal(row.rule.get(AlertRuleObj::RuleID));
    case DateRole:
        return fromLocal(row.rule.get(AlertRuleObj::AddDateTime));
    case StateRole:
        return int(row.state);
    default:
        return {};
    }
}
