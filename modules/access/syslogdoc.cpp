#include "modules/access/syslogdoc.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"

CSysLogDoc::CSysLogDoc()
    : CSecurityDoc({QStringLiteral("100301")}), m_records(this), m_start(QDate::currentDate().addDays(-1)),
      m_end(QDate::currentDate())
{
}

QString CSysLogDoc::DateText(const QDate &date)
{
    return QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day());
}

void CSysLogDoc::SetRange(const QDate &start, const QDate &end)
{
    m_start = start;
    m_end = end;
}

bool CSysLogDoc::Query()
{
    m_records.Clear();
    if (!Service())
        return false;
    const MtxString start(DateText(m_start).toLatin1().constData());
    const MtxString end(DateText(m_end).toLatin1().constData());
    auto reply = std::make_unique<MtxArray>();
    if (!Call("selectSysLogArray", {&start, &end}, reply.get()))
        return false;
    m_records.SetRecords(std::move(reply));
    // A large reply was parsed on a worker thread, whose heap keeps the pages
    // of the parse; hand them back so that the next query starts from less.
#ifdef __GLIBC__
    malloc_trim(0);
#endif
    return true;
}

bool CSysLogDoc::DeleteRange()
{
    if (!Service() || !CanDelete())
        return false;
    if (!Ask(QStringLiteral("你确认要删除这些日志记录吗")))
        return false;
    const MtxString start(DateText(m_start).toLatin1().constData());
    const MtxString end(DateText(m_end).toLatin1().constData());
    if (!Call("deleteSysLogArray", {&start, &end}))
        return false;
    // The delete itself is logged: what is left of the range shows at once.
    Query();
    return true;
}
