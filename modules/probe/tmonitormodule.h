#pragma once

#include "frame/promodule.h"

// ProbeDesk: the inventory of monitored elements (groups, devices, monitors)
// with their property forms, monitor definitions and state conditions.
class CTMonitorModule : public CProModule
{
public:
    static constexpr int ResourceId = 17002;
    // The function code whose right the host checks before opening the window.
    static constexpr const char *RightCode = "1000";

    CTMonitorModule();

    int LoadDocTemplate() override;
    QString GetDocName(const QString &moduleName) override;
    QToolBar *LoadSubToolBar(const QString &moduleName) override;
    std::vector<CTourVisit> TourVisits(const QString &moduleName) const override;
};
