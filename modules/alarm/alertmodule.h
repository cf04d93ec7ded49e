#pragma once

#include "frame/promodule.h"

// AlarmDesk: alert rules, their parameters, send types, monitors and log,
// from "AlertService".
class CAlertModule : public CProModule
{
public:
    static constexpr int ResourceId = 17002;

    CAlertModule();

    int LoadDocTemplate() override;
    int LoadSubDocTemplate() override;
    QString GetDocName(const QString &moduleName) override;
    QToolBar *LoadSubToolBar(const QString &moduleName) override;
    std::vector<CTourVisit> TourVisits(const QString &moduleName) const override;
};
