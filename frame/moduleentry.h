#pragma once

#include <QString>

// One navigation entry of Keelsys.ini ("SYSTEMMODULE"/"module" N ...).
struct ModuleEntry
{
    int imageId = 0;
    QString name;
    QString group;
    QString style;
};
