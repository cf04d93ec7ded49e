#pragma once

#include "frame/promodule.h"

// MapDesk: topology pictures of status and control cells bound to elements.
class CTPModule : public CProModule
{
public:
    static constexpr int ResourceId = 17002;
    static constexpr const char *RightsCode = "1000";

    CTPModule();

    int LoadDocTemplate() override;
    int LoadSubDocTemplate() override;
    QString GetDocName(const QString &moduleName) override;
    QToolBar *LoadSubToolBar(const QString &moduleName) override;
    std::vector<CTourVisit> TourVisits(const QString &moduleName) const override;
};
