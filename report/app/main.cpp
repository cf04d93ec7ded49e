// StatView: the statistics report of one monitor. The monitoring module
// writes the monitor into StatView/StatView.ini under the install root and
// starts this program; it takes no command line of its own.
#include <QApplication>

#include "report/statsettings.h"
#include "report/statviewwindow.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    CStatViewWindow window(StatSettings::Read(StatSettings::InstallRoot()));
    window.show();
    return app.exec();
}
