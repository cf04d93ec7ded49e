#pragma once

#include "frame/promodule.h"

// PerfDesk: the platform's own status by watch type, from "SysService".
class CWatchModule : public CProModule
{
public:
    static constexpr int ResourceId = 2004;

    CWatchModule();

    int LoadDocTemplate() override;
    int LoadSubDocTemplate() override;
    QString GetDocName(const QString &moduleName) override;
    QToolBar *LoadSubToolBar(const QString &moduleName) override;
};
