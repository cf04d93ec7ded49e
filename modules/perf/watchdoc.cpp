#include "modules/perf/watchdoc.h"

#include "frame/localtext.h"
#include "frame/proapp.h"
#include "frame/servicecall.h"
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

bool CWatchDoc::LoadWatchTypes()
{
    if (!m_service)
        return false;
    // A tree of its own for each answer: nothing of a failed call is kept.
    auto tree = std::make_unique<MtxTree>(std::make_unique<SysTypeObj>());
    const MtxString argument("SysInfo");
    if (!CallService(m_service, "findWatchType", {&argument}, tree.get(), m_view))
        return false;
    m_tree = std::move(tree);
    m_types.SetTree(*m_tree);
    return true;
}

bool CWatchDoc::ChooseType(int number, const QString &title)
{
    if (!m_service)
        return false;
    const MtxString argument(QString::number(number).toLatin1().constData());
    MtxArray lines;
    lines.setFactory(m_service);
    const bool answered = CallService(m_service, "findSysStatus", {&argument}, &lines, m_view);
    m_status.Reset(title);
    if (!answered)
        return false;
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
    const MtxStatus status = RunServerCall(
        [&] {
            MtxStatus result;
            return client->login(result, user.c_str(), password.c_str(), "version", session);
        },
        m_view);
    ShowCallFailure(status);
    if (!status.succeeded())
        return false;
    app->ShowMessage((app->IsChinese() ? QStringLiteral("重新登录成功（用户 %1）") : QStringLiteral("Logged in again as %1"))
                         .arg(app->GetUserName()));
    return true;
}
