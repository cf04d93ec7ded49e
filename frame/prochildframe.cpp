#include "frame/prochildframe.h"

#include <QCloseEvent>

#include "frame/proapp.h"
#include "frame/probaseframedoc.h"
#include "frame/procommands.h"

CProChildFrame::CProChildFrame(CProBaseFrameDoc *document)
    : m_app(CProApp::instance())
    , m_document(document)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint
                   | Qt::CustomizeWindowHint);
    if (document)
        document->setParent(this);
}

CProChildFrame::~CProChildFrame() = default;

void CProChildFrame::TakeCurrentName()
{
    if (m_docName.isEmpty() && m_app)
        m_docName = m_app->GetCurrentModuleName();
}

void CProChildFrame::OnActivated()
{
    TakeCurrentName();
    if (m_app)
        m_app->OnDocumentActivated(m_docName, this);
}

bool CProChildFrame::OnCommand(int command)
{
    if (command == ProCommand::CloseDocument) {
        close();
        return true;
    }
    return false;
}

void CProChildFrame::closeEvent(QCloseEvent *event)
{
    TakeCurrentName();
    if (m_app)
        m_app->OnDocumentClosed(m_docName);
    QMdiSubWindow::closeEvent(event);
}
