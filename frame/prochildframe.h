#pragma once

#include <functional>
#include <initializer_list>

#include <QHash>
#include <QList>
#include <QMdiSubWindow>
#include <QStyle>

#include "orb/wire/keelexport.h"

class CProApp;
class CProBaseFrameDoc;
class QAction;
class QMenu;
class QToolBar;

// The child frame of every module document: an MDI sub-window that tells the
// application when it gets the focus and when it closes (toolbar and title).
// It owns its document, and the commands of its module's menus and toolbar:
// a module frame declares each command once with its handler and, where the
// command is not always possible, the check that enables it.
class KEEL_EXPORT CProChildFrame : public QMdiSubWindow
{
    Q_OBJECT

public:
    // In a list of commands, draws a separator.
    static constexpr int Separator = 0;

    explicit CProChildFrame(CProBaseFrameDoc *document);
    ~CProChildFrame() override;

    CProBaseFrameDoc *GetDocument() const { return m_document; }
    QString GetDocumentName() const { return m_docName; }
    void SetDocumentName(const QString &name) { m_docName = name; }

    // Called by the main frame when this frame becomes the active one.
    void OnActivated();
    // A command from this frame's module menus or toolbar: runs it when this
    // frame declares it and it is enabled. False for undeclared commands,
    // which then go to the application.
    virtual bool OnCommand(int command);

    // ---- declared commands ----
    // Declares a command; "关闭" (ProCommand::CloseDocument) is declared by
    // every frame. The action is the frame's; menus and toolbars show it.
    QAction *AddCommand(int command, const QString &text, QStyle::StandardPixmap icon,
                        std::function<void()> run, std::function<bool()> enabled = {});
    QAction *Command(int command) const { return m_commands.value(command); }
    // A menu shown in the main menu bar while this frame is active.
    QMenu *AddMenu(const QString &title, std::initializer_list<int> commands);
    QList<QMenu *> Menus() const { return m_menus; }
    // The commands of the module toolbar, in order.
    void SetToolBarCommands(std::initializer_list<int> commands) { m_toolBarCommands = commands; }
    // The module toolbar of this frame, a child of the main frame named after
    // the resource number (what the module's LoadSubToolBar hands out).
    QToolBar *CreateModuleToolBar(int resourceId) const;
    // Enables or disables each command by its check. Runs at activation,
    // before a menu opens and after each command; a module calls it when the
    // state its checks read changes (a selection, say).
    void UpdateCommands();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    struct Check
    {
        QAction *action;
        std::function<bool()> enabled;
    };

    void TakeCurrentName();
    void AddCommandsTo(QWidget *widget, const QList<int> &commands) const;

    CProApp *m_app;
    CProBaseFrameDoc *m_document;
    QString m_docName;
    QHash<int, QAction *> m_commands;
    QList<Check> m_checks;
    QList<QMenu *> m_menus;
    QList<int> m_toolBarCommands;
};
