#include "modules/access/syslogframe.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include "frame/procommands.h"
#include "modules/access/securityviews.h"
#include "modules/access/syslogdoc.h"

namespace {

QDateEdit *MakePicker(const QDate &date, const char *name, QWidget *parent)
{
    auto *picker = new QDateEdit(date, parent);
    picker->setObjectName(QLatin1String(name));
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("yyyy-M-d"));
    // From the first whole day of the epoch; no upper bound short of the calendar's own.
    picker->setMinimumDate(QDate(1970, 1, 2));
    return picker;
}

} // namespace

CSysLogFrame::CSysLogFrame(CSysLogDoc *document)
    : CProChildFrame(document), m_doc(document), m_list(new QTableView)
{
    setWindowTitle(QStringLiteral("SysLog"));
    document->SetCallerWindow(this);
    auto *form = new QWidget(this);
    form->setObjectName(QStringLiteral("form9000"));
    m_start = MakePicker(document->Start(), "control9006", form);
    m_end = MakePicker(document->End(), "control9007", form);
    auto *dates = new QHBoxLayout;
    dates->addWidget(new QLabel(QStringLiteral("起始日期"), form));
    dates->addWidget(m_start);
    dates->addWidget(new QLabel(QStringLiteral("终止日期"), form));
    dates->addWidget(m_end);
    dates->addStretch();
    auto *layout = new QVBoxLayout(form);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(dates);
    layout->addWidget(m_list, 1);
    m_list->setModel(&document->Records());
    securityviews::MakeReportList(m_list, {CSysLogModel::Widths[0], CSysLogModel::Widths[1], CSysLogModel::Widths[2],
                                           CSysLogModel::Widths[3], CSysLogModel::Widths[4], CSysLogModel::Widths[5]});
    setWidget(form);

    connect(m_start, &QDateEdit::dateChanged, this, &CSysLogFrame::DatesChanged);
    connect(m_end, &QDateEdit::dateChanged, this, &CSysLogFrame::DatesChanged);
    connect(&document->Records(), &QAbstractItemModel::modelReset, this, &CSysLogFrame::UpdateCommands);

    AddCommand(Delete, QStringLiteral("删除"), QStyle::SP_TrashIcon, [this] { m_doc->DeleteRange(); },
               [this] { return m_doc->CanDelete(); });
    SetToolBarCommands({Delete, ProCommand::CloseDocument});
    AddMenu(QStringLiteral("操作"), {Delete, Separator, ProCommand::CloseDocument});
    UpdateCommands();
}

void CSysLogFrame::showEvent(QShowEvent *event)
{
    CProChildFrame::showEvent(event);
    if (!m_queried) {
        m_queried = true;
        m_doc->Query();
    }
}

void CSysLogFrame::DatesChanged()
{
    m_doc->SetRange(m_start->date(), m_end->date());
    m_doc->Query();
}
