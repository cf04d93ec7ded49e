#pragma once

#include "frame/promodule.h"

// The smallest module: one document whose window shows a label.
class CMinimalModule : public CProModule
{
public:
    CMinimalModule();
    int LoadDocTemplate() override;
    QString GetDocName(const QString &moduleName) override;
    QToolBar *LoadSubToolBar(const QString &moduleName) override;
};
