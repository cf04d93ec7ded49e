#include "frame/probaseframedoc.h"

#include "frame/proapp.h"
#include "frame/promodule.h"

CProBaseFrameDoc::CProBaseFrameDoc() : m_app(CProApp::instance())
{
    if (m_app) {
        if (CProModule *module = m_app->GetCurrentModule())
            module->SetCurrentDocument(this);
    }
}

CProBaseFrameDoc::~CProBaseFrameDoc() = default;

bool CProBaseFrameDoc::OnNewDocument()
{
    return true;
}

bool CProBaseFrameDoc::SaveModified()
{
    return true;
}
