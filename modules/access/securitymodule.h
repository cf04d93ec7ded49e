#pragma once

#include "frame/promodule.h"

// AccessDesk: departments, roles, users and the operation log, each window
// behind its view right.
class CSecurityModule : public CProModule
{
public:
    // Templates and toolbars of "Department", "Role", "User", "SysLog".
    static constexpr int DepartmentResource = 17000, RoleResource = 17001, UserResource = 17002,
                         SysLogResource = 17003;

    CSecurityModule();

    int LoadDocTemplate() override;
    int LoadSubDocTemplate() override;
    // The name when the user holds the window's view right; otherwise empty,
    // with "没有此模块权限!" shown and the navigation bar brought back.
    QString GetDocName(const QString &moduleName) override;
    QToolBar *LoadSubToolBar(const QString &moduleName) override;
};
