#pragma once

#include <vector>

#include <QDateTime>
#include <QWidget>

#include "report/datachannel.h"
#include "report/itemdefinition.h"
#include "report/reportdata.h"
#include "report/reportexchange.h"
#include "report/statsettings.h"

class CMeasureView;
class CReplyLineModel;
class CReportCanvas;
class QDateEdit;
class QLabel;
class QListView;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QTimeEdit;

// The report window "检测报告": banner, the start and end pickers, Query and
// Delete, and the text, image and measure displays switched by the tab strip
// at the bottom. The monitor and the server come from the settings read at
// start-up; exchanges run off this thread, the window stays responsive.
class CStatViewWindow : public QWidget
{
    Q_OBJECT

public:
    enum Display { TextDisplay = 0, ImageDisplay = 1, MeasureDisplay = 2 };

    explicit CStatViewWindow(const StatSettings &settings, QWidget *parent = nullptr);
    ~CStatViewWindow() override;

    // The query of the picked range; false when it could not be started
    // (the reason has been shown).
    bool Query();
    // Asks first, naming the range; false when not started.
    bool Delete();
    // Outcomes are shown as messages; false on failure.
    bool SaveBitmap(const QString &path);
    bool ExportCsv(const QString &path);

    void SetRange(const QDateTime &from, const QDateTime &to);
    QDateTime From() const;
    QDateTime To() const;
    void ShowDisplay(Display display);
    Display CurrentDisplay() const;

    CReportExchange &Exchange() { return m_exchange; }
    bool Busy() const { return m_exchange.Busy(); }
    const CReportData &Data() const { return m_data; }
    const std::vector<ItemDefinition> &Items() const { return m_items; }
    CReportCanvas *Canvas() const { return m_canvas; }
    CMeasureView *Measure() const { return m_measure; }
    QListView *TextView() const { return m_textView; }
    QWidget *DisplayWidget(Display display) const;

signals:
    // An exchange has ended and its outcome has been shown.
    void ExchangeDone(CReportExchange::Kind kind, bool succeeded);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void BuildLayout();
    void LoadBanner();
    // The file dialog of a save command; empty when cancelled.
    QString AskSavePath(const QString &title, const QString &suffix);
    bool StartExchange(CReportExchange::Kind kind);
    void OnFinished(CReportExchange::Kind kind, const CDataChannel::Result &result);
    void ShowReport();
    void SetBusy(bool busy);
    QString ChannelFailure(const CDataChannel::Result &result) const;

    StatSettings m_settings;
    std::vector<ItemDefinition> m_items;
    QString m_kindLabel;
    // The kind's items as read for the query in progress; they replace the
    // shown ones only with its report.
    std::vector<ItemDefinition> m_pendingItems;
    QString m_pendingKindLabel;
    CReportData m_data;
    CReportExchange m_exchange;
    bool m_shown = false;

    QLabel *m_banner = nullptr;
    QDateEdit *m_startDate = nullptr;
    QTimeEdit *m_startTime = nullptr;
    QDateEdit *m_endDate = nullptr;
    QTimeEdit *m_endTime = nullptr;
    QPushButton *m_query = nullptr;
    QPushButton *m_delete = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_csv = nullptr;
    QLabel *m_status = nullptr;
    QStackedWidget *m_displays = nullptr;
    QListView *m_textView = nullptr;
    CReplyLineModel *m_lines = nullptr;
    CReportCanvas *m_canvas = nullptr;
    CMeasureView *m_measure = nullptr;
    QTabBar *m_tabs = nullptr;
};
