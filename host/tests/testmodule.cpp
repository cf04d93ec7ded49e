// A module library built only for the tests. Its name comes from the build
// (TestModuleAlpha gives the module "Alpha"); it registers a second document
// name NAME "Sub", makes a toolbar named "toolbar-" NAME for its own names and
// records every ModuleDlgInvoke in the application property "lastInvoke".

#include <QApplication>
#include <QLabel>
#include <QToolBar>

#include "frame/commandtoolbar.h"
#include "frame/proapp.h"
#include "frame/probaseframedoc.h"
#include "frame/prochildframe.h"
#include "frame/procommands.h"
#include "frame/prodoctemplate.h"
#include "frame/promodule.h"

#ifndef TEST_MODULE_HIDES_NAVIGATION
#define TEST_MODULE_HIDES_NAVIGATION 0
#endif

namespace {

const QString Name = QStringLiteral(TEST_MODULE_NAME);
const QString SubName = Name + QStringLiteral("Sub");
constexpr int ResourceId = 9000;

constexpr CommandButton Buttons[] = {
    {ProCommand::CloseDocument, "关闭", QStyle::SP_DialogCloseButton},
};

class CTestFrame : public CProChildFrame
{
public:
    explicit CTestFrame(CProBaseFrameDoc *document) : CProChildFrame(document)
    {
        setWidget(new QLabel(Name, this));
    }
};

CProDocTemplate *MakeTemplate(const QString &docName)
{
    return new CProDocTemplate(
        ResourceId, QStringLiteral("\n") + docName + QStringLiteral("\n") + docName,
        [] { return new CProBaseFrameDoc; }, [](CProBaseFrameDoc *document) { return new CTestFrame(document); });
}

class CTestModule : public CProModule
{
public:
    CTestModule()
    {
        m_moduleName = Name;
        m_docName = Name;
        m_version = QStringLiteral("2.00");
        m_hidesNavigation = TEST_MODULE_HIDES_NAVIGATION;
    }

    int LoadDocTemplate() override
    {
        m_docTemplate = MakeTemplate(Name);
        return 1;
    }

    int LoadSubDocTemplate() override
    {
        GetApp()->AddSubDocTemplate(std::unique_ptr<CProDocTemplate>(MakeTemplate(SubName)), SubName, this);
        return 1;
    }

    QString GetDocName(const QString &moduleName) override { return moduleName == SubName ? SubName : Name; }

    QToolBar *LoadSubToolBar(const QString &moduleName) override
    {
        if (moduleName != Name && moduleName != SubName)
            return nullptr;
        QToolBar *toolBar = CreateCommandToolBar(GetMainFrame(), ResourceId, Buttons);
        toolBar->setObjectName(QStringLiteral("toolbar-") + moduleName);
        return toolBar;
    }

    QString ModuleDlgInvoke(const QString &method, const MtxObj *const *) override
    {
        const QString call = Name + QLatin1Char(':') + method;
        qApp->setProperty("lastInvoke", call);
        return call;
    }
};

} // namespace

KEEL_DECLARE_MODULE(CTestModule)
