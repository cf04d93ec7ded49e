#pragma once

#include <QDate>

#include "modules/access/securitydoc.h"
#include "modules/access/syslogmodel.h"

// The operation-log window's document: the date range, the records of the
// last query, and the delete of the range.
class CSysLogDoc : public CSecurityDoc
{
    Q_OBJECT

public:
    CSysLogDoc();

    CSysLogModel &Records() { return m_records; }
    QDate Start() const { return m_start; }
    QDate End() const { return m_end; }
    // Sets the range as chosen (an end before the start is sent as it is).
    void SetRange(const QDate &start, const QDate &end);

    // "selectSysLogArray" for the range; the list is emptied first.
    bool Query();
    bool CanDelete() const { return Holds(QStringLiteral("100301")) && m_records.rowCount() > 0; }
    // "deleteSysLogArray" for the whole range, then the range is queried again.
    bool DeleteRange();

    // "%d-%d-%d": no zero padding.
    static QString DateText(const QDate &date);

private:
    CSysLogModel m_records;
    QDate m_start;
    QDate m_end;
};
