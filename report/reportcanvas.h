#pragma once

#include <vector>

#include <QImage>
#include <QStringList>
#include <QWidget>

#include "report/itemdefinition.h"

class CCurvePlot;
class CReportData;
class QComboBox;

// The image display: the report heading with the counts per state, the value
// panel and curve of the selected item, and the error and danger records.
// Saved as a bitmap as it is painted.
class CReportCanvas : public QWidget
{
    Q_OBJECT

public:
    static constexpr int CanvasWidth = 960;
    // Records listed per state; the rest are counted.
    static constexpr int RecordRowsShown = 100;
    // Larger pictures are refused when saving.
    static constexpr qint64 MaxPixels = 64 * 1024 * 1024;

    explicit CReportCanvas(QWidget *parent = nullptr);

    // data and items must outlive their use here.
    void SetReport(const CReportData *data, const std::vector<ItemDefinition> *items, const QString &kindLabel);
    QComboBox *ItemSelector() const { return m_selector; }
    CCurvePlot *Curve() const { return m_curve; }

    // The texts painted, for the report heading and the value panel.
    QString Title() const;
    QStringList CountTexts() const;
    QStringList PanelTexts() const;

    // The display as a picture; a null image with the reason in error when
    // it is too large or memory runs out.
    QImage Picture(QString *error);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void SelectItem(int selectorIndex);
    int SelectedItem() const;
    int PaintRecords(QPainter &painter, int top, const QString &caption, const std::vector<int> &lines,
                     qint64 total) const;

    const CReportData *m_data = nullptr;
    const std::vector<ItemDefinition> *m_items = nullptr;
    QString m_kindLabel;
    std::vector<int> m_curveItems;
    std::vector<int> m_tableItems;
    std::vector<int> m_errorLines;
    std::vector<int> m_dangerLines;
    QComboBox *m_selector;
    CCurvePlot *m_curve;
};
