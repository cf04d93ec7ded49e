#pragma once

#include <QMdiSubWindow>

#include "orb/wire/keelexport.h"

class CProApp;
class CProBaseFrameDoc;

// The child frame of every module document: an MDI sub-window that tells the
// application when it gets the focus and when it closes (toolbar and title).
// It owns its document.
class KEEL_EXPORT CProChildFrame : public QMdiSubWindow
{
    Q_OBJECT

public:
    explicit CProChildFrame(CProBaseFrameDoc *document);
    ~CProChildFrame() override;

    CProBaseFrameDoc *GetDocument() const { return m_document; }
    QString GetDocumentName() const { return m_docName; }
    void SetDocumentName(const QString &name) { m_docName = name; }

    // Called by the main frame when this frame becomes the active one.
    void OnActivated();
    // A command from a module toolbar or menu while this frame is active;
    // false when the frame does not handle it.
    virtual bool OnCommand(int command);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void TakeCurrentName();

    CProApp *m_app;
    CProBaseFrameDoc *m_document;
    QString m_docName;
};
