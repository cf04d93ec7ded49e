#pragma once

#include <vector>

#include <QString>

#include "report/itemdefinition.h"

class CReportData;

// Writes the lines of a report as CSV (UTF-8 with a byte-order mark, CR LF):
// time, state, remark and one column per return item headed by its label.
class CCsvExport
{
public:
    // False with the reason in error when the file cannot be written; a
    // partly written file is removed.
    static bool Write(const QString &path, const CReportData &data, const std::vector<ItemDefinition> &items,
                      QString *error);
    // One CSV field: quoted when it holds a comma, quote or line break.
    static QString Field(const QString &text);
};
