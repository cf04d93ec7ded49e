#include "modules/perf/watchdoc.h"

#include "frame/localtext.h"
#include "frame/proapp.h"
#include "frame/waitcursor.h"
#include "orb/net/orbclient.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "services/types/systypeobj.h"

namespace {

// The text of one status line: a string's value, else the element text that
// a plain object keeps in its name.
QString LineText(const MtxObj &item)
{
    if (const auto *text = dynamic_cast<const MtxString *>(&item))
        return fromLocal(text->getValue());
    return fromLocal(item.getName());
}

} // namespace

CWatchDoc::CWatchDoc() : m_types(this), m_status(this)
{
    if (CProApp *app = GetApp())
        m_service = app->GetService(QString::fromLatin1(ServiceName));
}

CWatchDoc::~CWatchDoc() = default;

void CWatchDoc::Report(const char *message) const
{
    if (CProApp *app = GetApp())
        app->ShowMessage(fromLocal(message));
}

bool CWatchDoc::LoadWatchTypes()
{
    if (!m_service)
        return false;
    CWaitCursor wait;
    // An empty tree each time: nothing of the previous answer survives.
    m_tree = std::make_unique<MtxTree>(std::make_unique<SysTypeObj>());
    const MtxString argument("SysInfo");
    const MtxStatus status = m_service->invoke("findWatchType", {&argument}, m_tree.get());
    if (!status.succeeded()) {
        Report(status.getMessage());
        return false;
    }
    m_types.SetTree(*m_tree);
    return true;
}

bool CWatchDoc::ChooseType(int number, const QString &title)
{
    if (!m_service)
        return false;
    CWaitCursor wait;
    const MtxString argument(QString::number(number).toLatin1().constData());
    MtxArray lines;
    lines.setFactory(m_service);
    const MtxStatus status = m_service->invoke("findSysStatus", {&argument}, &lines);
    m_status.Reset(title);
    if (!status.succeeded()) {
        Report(status.getMessage());
        return false;
    }
    QStringList texts;
    texts.reserve(qsizetype(lines.size()));
    for (const auto &item : lines)
        texts.append(LineText(*item));
    m_status.SetLines(texts);
    return true;
}

bool CWatchDoc::Relogin()
{
    CProApp *app = GetApp();
    OrbClient *client = app ? app->GetClient() : nullptr;
    if (!client)
        return false;
    const std::string user = toLocal(app->GetUserName());
    const std::string password = toLocal(app->GetPassword());
    MtxUserSession session;
    session.setUserName(user);
    MtxStatus status;
    {
        CWaitCursor wait;
        client->login(status, user.c_str(), password.c_str(), "version", session);
    }
    if (!status.succeeded()) {
        Report(status.getMessage());
        return false;
    }
    return true;
}
