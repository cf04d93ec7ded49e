#pragma once

#include <QWidget>

class CReportData;

// The curve of one return item over the time axis, with its grid and axis
// labels. Points are binned per pixel column (lowest, highest, first and last
// value of each column), so painting costs the same for ten points or a
// million, and a column's span of values is still seen.
class CCurvePlot : public QWidget
{
    Q_OBJECT

public:
    static constexpr int LeftMargin = 60;
    static constexpr int RightMargin = 20;
    static constexpr int TopMargin = 10;
    static constexpr int BottomMargin = 40;
    static constexpr int ValueSteps = 5;

    explicit CCurvePlot(QWidget *parent = nullptr);

    // data must outlive its use here; item -1 draws the grid only.
    void SetCurve(const CReportData *data, int item);

    // The ranges drawn: a zero time span or value span is widened, and the
    // value axis takes in 0 and every negative value.
    struct Ranges
    {
        qint64 firstTime = 0;
        qint64 lastTime = 0;
        double low = 0;
        double high = 1;
    };
    Ranges CurrentRanges() const { return m_ranges; }
    // Pixel columns that got at least one point in the last paint.
    int PaintedColumns() const { return m_paintedColumns; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void ComputeRanges();

    const CReportData *m_data = nullptr;
    int m_item = -1;
    Ranges m_ranges;
    int m_paintedColumns = 0;
};
