#pragma once

#include <memory>

#include <QPointer>
#include <QWidget>

#include "frame/probaseframedoc.h"
#include "modules/perf/statuslistmodel.h"
#include "modules/perf/watchtypemodel.h"

class MtxTree;
class OrbService;

// PerfDesk's document: the "SysService" handle taken from the host when the
// document is made, the watch-type tree and the status lines of the chosen type.
class CWatchDoc : public CProBaseFrameDoc
{
    Q_OBJECT

public:
    static constexpr const char *ServiceName = "SysService";

    CWatchDoc();
    ~CWatchDoc() override;

    OrbService *Service() const { return m_service; }
    CWatchTypeModel &TypeModel() { return m_types; }
    CStatusListModel &StatusModel() { return m_status; }

    // "findWatchType" "SysInfo": rebuilds the tree; false (message shown) on failure.
    bool LoadWatchTypes();
    // "findSysStatus" with the type's number: the title becomes the type's
    // text at once, the lines only when the call succeeds.
    bool ChooseType(int number, const QString &title);
    // Logs the "sys" connection in again with the current user's own name
    // and password, and says that it succeeded.
    bool Relogin();
    // The window whose input waits while a call runs.
    void SetView(QWidget *view) { m_view = view; }

private:
    OrbService *m_service = nullptr;
    QPointer<QWidget> m_view;
    std::unique_ptr<MtxTree> m_tree;
    CWatchTypeModel m_types;
    CStatusListModel m_status;
};
