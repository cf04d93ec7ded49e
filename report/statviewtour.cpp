#include "report/statviewtour.h"

#include <cstdio>

#include <QCoreApplication>
#include <QPixmap>

#include "report/statprompt.h"
#include "report/statviewwindow.h"

namespace {

void Say(const QString &text)
{
    std::fprintf(stderr, "statview tour: %s\n", qPrintable(text));
    std::fflush(stderr);
}

} // namespace

CStatViewTour::CStatViewTour(const QString &folder, QObject *parent) : QObject(parent), m_folder(folder)
{
    m_folder.mkpath(QStringLiteral("."));
    m_limit.setSingleShot(true);
    m_limit.setInterval(TimeLimitMs);
    connect(&m_limit, &QTimer::timeout, this, [this] {
        Say(QStringLiteral("time limit reached, closing"));
        ++m_problems;
        Finish();
    });
}

void CStatViewTour::Arm()
{
    CStatPrompt::SetHooks(
        [this](const QString &text, CStatPrompt::Icon icon) {
            // Warnings (no banner, no monitor library) leave a report to show.
            if (icon == CStatPrompt::Icon::Error)
                ++m_problems;
            Say(QStringLiteral("message: %1").arg(text));
        },
        [](const QString &text) {
            Say(QStringLiteral("question answered no: %1").arg(text));
            return false;
        });
    m_limit.start();
}

void CStatViewTour::Start(CStatViewWindow &window)
{
    m_window = &window;
    // The window queries once when it is first shown.
    connect(&window, &CStatViewWindow::ExchangeDone, this, [this](CReportExchange::Kind, bool succeeded) {
        SavePictures(succeeded);
    }, Qt::SingleShotConnection);
    window.resize(1200, 900);
    window.show();
}

void CStatViewTour::SavePictures(bool queried)
{
    if (!queried)
        Say(QStringLiteral("the query failed; the pictures show the empty report"));
    Say(QStringLiteral("%1 lines received").arg(m_window->Data().LineCount()));
    const struct
    {
        CStatViewWindow::Display display;
        const char *name;
    } displays[] = {{CStatViewWindow::TextDisplay, "80-report-text"},
                    {CStatViewWindow::ImageDisplay, "81-report-image"},
                    {CStatViewWindow::MeasureDisplay, "82-report-measure"}};
    for (const auto &entry : displays) {
        m_window->ShowDisplay(entry.display);
        QCoreApplication::processEvents();
        const QString file = m_folder.filePath(QLatin1String(entry.name) + QStringLiteral(".png"));
        if (m_window->grab().save(file)) {
            ++m_pictures;
            Say(QStringLiteral("saved %1").arg(file));
        } else {
            ++m_problems;
            Say(QStringLiteral("could not save %1").arg(file));
        }
    }
    Finish();
}

void CStatViewTour::Finish()
{
    m_limit.stop();
    Say(QStringLiteral("%1 pictures, %2 problem(s)").arg(m_pictures).arg(m_problems));
    QCoreApplication::exit(m_problems ? 1 : 0);
}
