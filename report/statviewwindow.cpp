#include "report/statviewwindow.h"

#include <QApplication>
#include <QDateEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "frame/imaging/dibfile.h"
#include "report/csvexport.h"
#include "report/measureview.h"
#include "report/monitorlibrary.h"
#include "report/replylinemodel.h"
#include "report/reportcanvas.h"
#include "report/statprompt.h"

namespace {

constexpr int TabStripHeight = 20;

} // namespace

CStatViewWindow::CStatViewWindow(const StatSettings &settings, QWidget *parent)
    : QWidget(parent), m_settings(settings)
{
    setWindowTitle(QStringLiteral("检测报告"));
    BuildLayout();
    // The first query covers the last 24 hours.
    const QDateTime now = QDateTime::currentDateTime();
    SetRange(now.addSecs(-86400), now);
    LoadBanner();
    connect(&m_exchange, &CReportExchange::Finished, this, &CStatViewWindow::OnFinished);
    ShowReport();
    resize(1000, 760);
}

CStatViewWindow::~CStatViewWindow()
{
    if (m_exchange.Busy())
        QApplication::restoreOverrideCursor();
}

void CStatViewWindow::BuildLayout()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    m_banner = new QLabel(this);
    m_banner->setScaledContents(true);
    m_banner->setFixedHeight(60);
    layout->addWidget(m_banner);

    auto *pickers = new QHBoxLayout;
    pickers->setContentsMargins(8, 0, 8, 0);
    const auto picker = [this, pickers](const QString &caption, QDateEdit *&date, QTimeEdit *&time, int id) {
        pickers->addWidget(new QLabel(caption, this));
        date = new QDateEdit(this);
        date->setObjectName(QStringLiteral("picker%1").arg(id));
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        time = new QTimeEdit(this);
        time->setObjectName(QStringLiteral("picker%1").arg(id + 1));
        time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
        pickers->addWidget(date);
        pickers->addWidget(time);
        pickers->addSpacing(12);
    };
    picker(QStringLiteral("开始时间:"), m_startDate, m_startTime, 2003);
    picker(QStringLiteral("结束时间:"), m_endDate, m_endTime, 2005);
    m_query = new QPushButton(QStringLiteral("Query"), this);
    m_delete = new QPushButton(QStringLiteral("Delete"), this);
    m_save = new QPushButton(QStringLiteral("保存为位图"), this);
    m_csv = new QPushButton(QStringLiteral("导出CSV"), this);
    for (QPushButton *button : {m_query, m_delete, m_save, m_csv})
        pickers->addWidget(button);
    pickers->addStretch();
    layout->addLayout(pickers);
    m_status = new QLabel(this);
    m_status->setContentsMargins(8, 0, 8, 0);
    layout->addWidget(m_status);

    m_displays = new QStackedWidget(this);
    m_textView = new QListView(this);
    m_textView->setUniformItemSizes(true);
    m_textView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lines = new CReplyLineModel(this);
    m_textView->setModel(m_lines);
    m_canvas = new CReportCanvas;
    auto *imageArea = new QScrollArea(this);
    imageArea->setWidget(m_canvas);
    imageArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    imageArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_measure = new CMeasureView;
    auto *measureArea = new QScrollArea(this);
    measureArea->setWidget(m_measure);
    measureArea->setWidgetResizable(true);
    m_displays->addWidget(m_textView);
    m_displays->addWidget(imageArea);
    m_displays->addWidget(measureArea);
    layout->addWidget(m_displays, 1);

    m_tabs = new QTabBar(this);
    m_tabs->setShape(QTabBar::RoundedSouth);
    m_tabs->setFixedHeight(TabStripHeight);
    m_tabs->addTab(QStringLiteral("文本"));
    m_tabs->addTab(QStringLiteral("图像"));
    m_tabs->addTab(QStringLiteral("度量"));
    layout->addWidget(m_tabs);
    connect(m_tabs, &QTabBar::currentChanged, m_displays, &QStackedWidget::setCurrentIndex);
    m_tabs->setCurrentIndex(ImageDisplay);

    connect(m_query, &QPushButton::clicked, this, &CStatViewWindow::Query);
    connect(m_delete, &QPushButton::clicked, this, &CStatViewWindow::Delete);
    connect(m_save, &QPushButton::clicked, this, [this] {
        const QString path = AskSavePath(QStringLiteral("保存为位图"), QStringLiteral("bmp"));
        if (!path.isEmpty())
            SaveBitmap(path);
    });
    connect(m_csv, &QPushButton::clicked, this, [this] {
        const QString path = AskSavePath(QStringLiteral("导出CSV"), QStringLiteral("csv"));
        if (!path.isEmpty())
            ExportCsv(path);
    });
}

QString CStatViewWindow::AskSavePath(const QString &title, const QString &suffix)
{
    QFileDialog dialog(this, title, QString(), QStringLiteral("*.") + suffix);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void CStatViewWindow::LoadBanner()
{
    CDibFile banner;
    if (banner.Load(m_settings.BannerPath()))
        m_banner->setPixmap(QPixmap::fromImage(banner.Image()));
    else
        CStatPrompt::Show(this, banner.Error(), CStatPrompt::Icon::Warning);
}

void CStatViewWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        QTimer::singleShot(0, this, &CStatViewWindow::Query);
    }
}

void CStatViewWindow::SetRange(const QDateTime &from, const QDateTime &to)
{
    m_startDate->setDate(from.date());
    m_startTime->setTime(from.time());
    m_endDate->setDate(to.date());
    m_endTime->setTime(to.time());
}

QDateTime CStatViewWindow::From() const
{
    return QDateTime(m_startDate->date(), m_startTime->time());
}

QDateTime CStatViewWindow::To() const
{
    return QDateTime(m_endDate->date(), m_endTime->time());
}

void CStatViewWindow::ShowDisplay(Display display)
{
    m_tabs->setCurrentIndex(display);
}

CStatViewWindow::Display CStatViewWindow::CurrentDisplay() const
{
    return Display(m_displays->currentIndex());
}

QWidget *CStatViewWindow::DisplayWidget(Display display) const
{
    return m_displays->widget(display);
}

bool CStatViewWindow::Query()
{
    return StartExchange(CReportExchange::Kind::Query);
}

bool CStatViewWindow::Delete()
{
    if (!m_settings.Usable()) {
        CStatPrompt::Show(this, m_settings.problem, CStatPrompt::Icon::Warning);
        return false;
    }
    const QString question = QStringLiteral("确定删除监测器 %1 从 %2 到 %3 的全部检测记录吗？")
                                 .arg(QString::fromLatin1(m_settings.monitorId), CReportExchange::TimeText(From()),
                                      CReportExchange::TimeText(To()));
    if (!CStatPrompt::Ask(this, question))
        return false;
    return StartExchange(CReportExchange::Kind::Delete);
}

bool CStatViewWindow::StartExchange(CReportExchange::Kind kind)
{
    if (!m_settings.Usable()) {
        CStatPrompt::Show(this, m_settings.problem, CStatPrompt::Icon::Warning);
        return false;
    }
    if (kind == CReportExchange::Kind::Query) {
        // The kind's items as the library has them now; another kind's are never kept.
        CMonitorLibrary library;
        if (!library.Load(m_settings.LibraryPath(), m_settings.monitorType))
            CStatPrompt::Show(this, library.Error() + QStringLiteral("\n只显示各状态的检测次数。"),
                              CStatPrompt::Icon::Warning);
        m_pendingItems = library.Items();
        m_pendingKindLabel = library.KindLabel();
    }
    QString error;
    if (!m_exchange.Start(kind, m_settings, From(), To(), int(m_pendingItems.size()), &error)) {
        CStatPrompt::Show(this, error, CStatPrompt::Icon::Warning);
        return false;
    }
    SetBusy(true);
    return true;
}

void CStatViewWindow::SetBusy(bool busy)
{
    for (QPushButton *button : {m_query, m_delete})
        button->setEnabled(!busy);
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_status->setText(QStringLiteral("正在向 %1:%2 请求数据…")
                              .arg(QString::fromLatin1(m_settings.serverAddress))
                              .arg(m_settings.port));
    } else {
        QApplication::restoreOverrideCursor();
    }
}

QString CStatViewWindow::ChannelFailure(const CDataChannel::Result &result) const
{
    const QString reason = QString::fromStdString(result.error);
    if (result.outcome == CDataChannel::Outcome::ConnectFailed)
        return QStringLiteral("无法连接数据服务器 (%1)：请检查 Keelsys.ini 中 [SYS] 的 mainServerIP 和 DataServerPort，并确认数据服务器正在运行。")
            .arg(reason);
    return QStringLiteral("数据接收不完整 (%1)：仍显示上一次的报告，请稍后重新查询。").arg(reason);
}

void CStatViewWindow::OnFinished(CReportExchange::Kind kind, const CDataChannel::Result &result)
{
    SetBusy(false);
    if (kind == CReportExchange::Kind::Delete) {
        const bool deleted = result.Complete() && result.reply == CReportExchange::DeleteSucceeded;
        if (deleted) {
            m_data.Clear();
            ShowReport();
            CStatPrompt::Show(this, QStringLiteral("删除成功"));
            emit ExchangeDone(kind, true);
            Query();
            return;
        }
        const std::optional<QString> refusal = CReportExchange::Refusal(result.reply);
        const QString reason = !result.Complete() ? ChannelFailure(result)
                               : refusal          ? *refusal
                                                  : QStringLiteral("数据服务器回答 \"%1\"").arg(CReportData::Decode(result.reply).left(200));
        CStatPrompt::Show(this, QStringLiteral("删除失败：%1").arg(reason), CStatPrompt::Icon::Error);
        ShowReport();
        emit ExchangeDone(kind, false);
        return;
    }
    const std::optional<QString> refusal = result.Complete() ? CReportExchange::Refusal(result.reply) : std::nullopt;
    if (!result.Complete() || refusal) {
        CStatPrompt::Show(this, refusal ? QStringLiteral("数据服务器拒绝了查询：%1").arg(*refusal) : ChannelFailure(result),
                          CStatPrompt::Icon::Error);
        ShowReport();
        emit ExchangeDone(kind, false);
        return;
    }
    std::unique_ptr<CReportData> report = m_exchange.TakeReport();
    m_items = std::move(m_pendingItems);
    m_kindLabel = m_pendingKindLabel;
    m_data = std::move(*report);
    ShowReport();
    emit ExchangeDone(kind, true);
}

void CStatViewWindow::ShowReport()
{
    m_lines->SetReport(&m_data);
    m_canvas->SetReport(&m_data, &m_items, m_kindLabel);
    m_measure->SetReport(&m_data, &m_items);
    QString status = QStringLiteral("监测器 %1 (%2)：%3 条记录")
                         .arg(QString::fromLatin1(m_settings.monitorId),
                              m_kindLabel.isEmpty() ? CReportData::Decode(m_settings.monitorType) : m_kindLabel)
                         .arg(m_data.LineCount());
    if (m_data.IgnoredLines())
        status += QStringLiteral("，%1 行无法识别").arg(m_data.IgnoredLines());
    m_status->setText(status);
}

bool CStatViewWindow::SaveBitmap(const QString &path)
{
    QString error;
    const QImage picture = m_canvas->Picture(&error);
    if (!picture.isNull() && !picture.save(path, "BMP"))
        error = QStringLiteral("无法写入 %1").arg(path);
    if (!error.isEmpty()) {
        CStatPrompt::Show(this, QStringLiteral("位图保存失败!\n%1").arg(error), CStatPrompt::Icon::Error);
        return false;
    }
    CStatPrompt::Show(this, QStringLiteral("位图保存成功!"));
    return true;
}

bool CStatViewWindow::ExportCsv(const QString &path)
{
    QString error;
    if (!CCsvExport::Write(path, m_data, m_items, &error)) {
        CStatPrompt::Show(this, QStringLiteral("导出CSV失败 (%1)：%2").arg(path, error), CStatPrompt::Icon::Error);
        return false;
    }
    CStatPrompt::Show(this, QStringLiteral("已导出 %1 行到 %2").arg(m_data.LineCount()).arg(path));
    return true;
}
