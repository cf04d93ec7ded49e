#pragma once

#include <QDir>
#include <QObject>
#include <QTimer>

class CStatViewWindow;

// A scripted run of the report window for the demo tour: after the first
// query it pictures the text, image and measure displays into a folder and
// closes. Messages are written to the standard error instead of shown; an
// error message counts as a problem.
class CStatViewTour : public QObject
{
    Q_OBJECT

public:
    static constexpr int TimeLimitMs = 60000;

    explicit CStatViewTour(const QString &folder, QObject *parent = nullptr);

    // Call before the window is made: from now on messages are answered here.
    void Arm();
    // Shows the window and runs the tour; the application quits at its end.
    void Start(CStatViewWindow &window);

    int Problems() const { return m_problems; }
    int Pictures() const { return m_pictures; }

private:
    void SavePictures(bool queried);
    void Finish();

    QDir m_folder;
    QTimer m_limit;
    CStatViewWindow *m_window = nullptr;
    int m_problems = 0;
    int m_pictures = 0;
};
