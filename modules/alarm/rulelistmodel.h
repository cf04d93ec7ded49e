#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QAbstractListModel>

#include "services/types/alertruleobj.h"

// The rule list as last fetched: one row per rule with its name, date and
// whether it is switched on. Texts are converted from the code page only
// when a view asks for them.
class CRuleListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role { IdRole = Qt::UserRole + 1, DateRole, StateRole };
    // A rule whose parameter could not be read shows as Unknown.
    enum class State { Off, On, Unknown };

    explicit CRuleListModel(QObject *parent = nullptr);
    ~CRuleListModel() override;

    // The rules with the Enabled value of each (nothing: unknown).
    void SetRules(std::vector<AlertRuleObj> rules, const std::vector<std::optional<std::string>> &enabled);
    void Clear();
    const AlertRuleObj &Rule(int row) const { return m_rows[std::size_t(row)].rule; }
    State StateOf(int row) const { return m_rows[std::size_t(row)].state; }
    // The row of the rule with this ID, or -1.
    int RowOf(const std::string &id) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    struct Row
    {
        AlertRuleObj rule;
        State state;
    };
    std::vector<Row> m_rows;
};
