#include "report/tests/reporttestsupport.h"

#include <fstream>

#include <QApplication>
#include <QDir>
#include <QFileInfo>

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "reporttest";
    static char *argv[] = {name, nullptr};
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

void WriteFile(const QString &root, const QString &relative, const std::string &text)
{
    const QString path = QDir(root).filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    std::ofstream(path.toStdString(), std::ios::binary) << text;
}
