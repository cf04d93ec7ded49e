#pragma once

#include <vector>

#include <QHash>
#include <QPointer>
#include <QString>

#include "frame/probaseframedoc.h"
#include "frame/prochildframe.h"
#include "frame/tourvisit.h"
#include "orb/plugin/plugininterface.h"
#include "orb/wire/keelexport.h"

class CProApp;
class CProDocTemplate;
class CProMainFrame;
class MtxObj;
class QToolBar;

// The interface every module library implements: its document templates, its
// toolbar, and named entry points for other modules. The library creates the
// object (GetModuleInstance); the host owns and deletes it.
class KEEL_EXPORT CProModule
{
public:
    CProModule();
    virtual ~CProModule();

    // Builds the module's document template; 1 on success. Base: none, 0.
    virtual int LoadDocTemplate();
    // Builds further templates (registered with CProApp::AddSubDocTemplate); 1.
    virtual int LoadSubDocTemplate();
    // The document name to open for a navigation entry of this name.
    virtual QString GetDocName(const QString &moduleName);
    // The module's toolbar for one of its names, a child of the main frame, or null.
    virtual QToolBar *LoadSubToolBar(const QString &moduleName);
    virtual int Initialize();
    // Non-zero when the navigation bar hides while this module's document is active.
    virtual int HideNavigation();
    virtual QString ModuleInvoke(const QString &method, const MtxObj *const *args);
    virtual QString ModuleDlgInvoke(const QString &method, const MtxObj *const *args);
    // The demo tour's steps in the window of one of this module's names. Base:
    // the first entry clicked and the module's picture.
    virtual std::vector<CTourVisit> TourVisits(const QString &moduleName) const;

    QString GetModuleName() const { return m_moduleName; }
    QString GetVersion() const { return m_version; }
    QString GetDocumentName() const { return m_docName; }
    CProDocTemplate *GetDocTemplate() const { return m_docTemplate; }
    CProApp *GetApp() const { return m_app; }
    void SetApp(CProApp *app) { m_app = app; }
    CProMainFrame *GetMainFrame() const { return m_mainFrame; }
    void SetMainFrame(CProMainFrame *frame) { m_mainFrame = frame; }
    QString GetLibraryPath() const { return m_libraryPath; }
    void SetLibraryPath(const QString &path) { m_libraryPath = path; }

    CProBaseFrameDoc *GetCurrentDocument() const { return m_currentDocument; }
    void SetCurrentDocument(CProBaseFrameDoc *document) { m_currentDocument = document; }

    bool IsDocumentOpen(const QString &name) const;
    void SetDocumentOpen(const QString &name, bool open);
    CProChildFrame *GetDocumentFrame(const QString &name) const;
    void SetDocumentFrame(const QString &name, CProChildFrame *frame);
    int RefusalCount() const { return m_refusals; }

protected:
    QString m_version = QStringLiteral("2.0");
    QString m_docName;
    QString m_moduleName;
    // Set by LoadDocTemplate; owned by the application once registered.
    CProDocTemplate *m_docTemplate = nullptr;
    int m_hidesNavigation = 0;
    int m_refusals = 0;

private:
    QString m_libraryPath;
    CProApp *m_app = nullptr;
    CProMainFrame *m_mainFrame = nullptr;
    QPointer<CProBaseFrameDoc> m_currentDocument;
    QHash<QString, QString> m_openDocuments;
    QHash<QString, QPointer<CProChildFrame>> m_documentFrames;
};

// The contract between the host and a module library. A library exports
//   extern "C" CProModule *GetModuleInstance();   a new module object, owned by the host
//   extern "C" int GetModuleApiVersion();         the ModuleApiVersion it was built with
// and the host calls the factory only when the version matches its own (the
// service libraries' pair is GetServiceInstance / GetServiceApiVersion).
// Version 2 added TourVisits to the module interface.
inline constexpr int ModuleApiVersion = 2;
inline constexpr const char *ModuleFactorySymbol = "GetModuleInstance";
inline constexpr const char *ModuleApiVersionSymbol = "GetModuleApiVersion";
inline constexpr PluginInterface ModuleInterface{"module", ModuleFactorySymbol, ModuleApiVersionSymbol,
                                                ModuleApiVersion};

// Defines the two exports of a module library for its module class.
#define KEEL_DECLARE_MODULE(ModuleClass)                                                     \
    extern "C" KEEL_EXPORT CProModule *GetModuleInstance() { return new ModuleClass; }       \
    extern "C" KEEL_EXPORT int GetModuleApiVersion() { return ModuleApiVersion; }
