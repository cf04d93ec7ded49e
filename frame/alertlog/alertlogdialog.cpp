#include "frame/alertlog/alertlogdialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "frame/alertlog/alertlogsource.h"
#include "frame/proapp.h"
#include "orb/wire/mtxarray.h"

namespace {
constexpr QSize InitialSize(800, 400);
}

CAlertLogDialog::CAlertLogDialog(CAlertLogSource &source, QWidget *parent)
    : QDialog(parent)
    , m_source(source)
    , m_list(new QTableView(this))
    , m_ok(new QPushButton(QStringLiteral("确定"), this))
    , m_exit(new QPushButton(QStringLiteral("退出"), this))
    , m_clear(new QPushButton(QStringLiteral("清除"), this))
{
    setWindowTitle(QStringLiteral("报警日志"));
    m_list->setObjectName(QString::number(ListId));
    m_ok->setObjectName(QString::number(OkId));
    m_exit->setObjectName(QString::number(ExitId));
    m_clear->setObjectName(QString::number(ClearId));
    m_list->setModel(&m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    const auto columns = CAlertLogModel::Columns();
    for (int column = 0; column < int(columns.size()); ++column)
        SetColumnWidth(column, columns[column].width);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_clear);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_exit);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    resize(InitialSize);

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_clear, &QPushButton::clicked, this, &CAlertLogDialog::ClearLog);
    Refresh();
}

void CAlertLogDialog::SetColumnWidth(int column, int width)
{
    m_list->setColumnHidden(column, width == 0);
    if (width > 0)
        m_list->setColumnWidth(column, width);
}

bool CAlertLogDialog::Refresh()
{
    MtxArray entries;
    if (!m_source.Fetch(entries))
        return false;
    m_model.SetEntries(entries);
    return true;
}

bool CAlertLogDialog::ClearLog()
{
    CProApp *app = CProApp::instance();
    if (!m_clearQuestion.isEmpty() && (!app || !app->AskQuestion(m_clearQuestion)))
        return false;
    if (!m_source.Clear())
        return false;
    m_model.Clear();
    return true;
}
