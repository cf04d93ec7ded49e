#pragma once

#include <QAbstractScrollArea>

class CStatusListModel;

// Draws the title, a line of asterisks and the status lines on white, in the
// module's blue, 12-pixel font; everything scrolls together.
class CRightView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    static constexpr int AreaSize = 1000;
    static constexpr int FirstLineY = 55;
    static constexpr int LineStep = 20;

    explicit CRightView(CStatusListModel *model, QWidget *parent = nullptr);

    // Height of the drawing: 1000 pixels, or more when the lines need it.
    int ContentHeight() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void UpdateScrollBars();

    CStatusListModel *m_model;
};
