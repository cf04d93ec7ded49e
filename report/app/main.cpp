// StatView: the statistics report of one monitor. The monitoring module
// writes the monitor into StatView/StatView.ini under the install root and
// starts this program; it takes no command line of its own. The demo tour
// alone starts it with "--tour DIR" to picture each display into DIR.
#include <memory>

#include <QApplication>

#include "report/statsettings.h"
#include "report/statviewtour.h"
#include "report/statviewwindow.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    std::unique_ptr<CStatViewTour> tour;
    const QStringList arguments = QCoreApplication::arguments();
    const qsizetype tourAt = arguments.indexOf(QStringLiteral("--tour"));
    if (tourAt > 0 && tourAt + 1 < arguments.size()) {
        tour = std::make_unique<CStatViewTour>(arguments[tourAt + 1]);
        tour->Arm();
    }
    CStatViewWindow window(StatSettings::Read(StatSettings::InstallRoot()));
    if (tour)
        tour->Start(window);
    else
        window.show();
    return app.exec();
}
