#pragma once

#include <vector>

#include <QStringList>
#include <QWidget>

#include "report/itemdefinition.h"

class CReportData;

// The measure display: one gauge per return item shown as a measure, from
// the lowest to the highest value received, marking the average and the
// latest value.
class CMeasureView : public QWidget
{
    Q_OBJECT

public:
    explicit CMeasureView(QWidget *parent = nullptr);

    // data and items must outlive their use here.
    void SetReport(const CReportData *data, const std::vector<ItemDefinition> *items);
    // One line of text per gauge, as painted beside it.
    QStringList GaugeTexts() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Gauge
    {
        int item;
        double latest;
    };

    const CReportData *m_data = nullptr;
    const std::vector<ItemDefinition> *m_items = nullptr;
    std::vector<Gauge> m_gauges;
};
