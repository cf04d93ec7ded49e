#include "modules/alarm/monitorselectdialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "frame/elementtree/elementtreemodel.h"
#include "frame/localtext.h"

namespace {

constexpr QSize InitialSize(420, 520);

void CollectChecked(const CElementTreeModel &model, const QModelIndex &parent, QStringList &ids)
{
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex item = model.index(row, 0, parent);
        if (item.data(Qt::CheckStateRole).toInt() == Qt::Checked)
            ids.append(item.data(CElementTreeModel::IdRole).toString());
        CollectChecked(model, item, ids);
    }
}

} // namespace

CMonitorSelectDialog::CMonitorSelectDialog(CElementTreeModel &model, const std::vector<AlertMonitorObj> &monitors,
                                           QWidget *parent)
    : QDialog(parent), m_model(model), m_tree(new QTreeView(this))
{
    setObjectName(QStringLiteral("MonitorSelectDialog"));
    setWindowTitle(QStringLiteral("选择检测"));
    for (const AlertMonitorObj &monitor : monitors)
        m_watched.append(fromLocal(monitor.get(AlertMonitorObj::MonitorId)));
    m_model.SetCheckable(true);
    m_model.SetCheckedIds(QSet<QString>(m_watched.begin(), m_watched.end()));
    m_tree->setModel(&m_model);
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->expandToDepth(1);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    layout->addWidget(buttons);
    resize(InitialSize);
}

std::vector<AlertMonitorObj> CMonitorSelectDialog::Monitors(const std::string &ruleId) const
{
    QStringList ids;
    CollectChecked(m_model, {}, ids);
    for (const QString &id : m_watched) {
        if (!m_model.FindId(id).isValid() && !ids.contains(id))
            ids.append(id);
    }
    std::vector<AlertMonitorObj> monitors;
    monitors.reserve(std::size_t(ids.size()));
    for (const QString &id : std::as_const(ids)) {
        AlertMonitorObj monitor;
        monitor.set(AlertMonitorObj::AlertRuleID, ruleId);
        monitor.setTruncated(AlertMonitorObj::MonitorId, toLocal(id));
        monitors.push_back(monitor);
    }
    return monitors;
}
