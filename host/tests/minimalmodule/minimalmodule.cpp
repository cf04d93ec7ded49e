#include "host/tests/minimalmodule/minimalmodule.h"

#include <QLabel>

#include "frame/prodoctemplate.h"

CMinimalModule::CMinimalModule()
{
    m_moduleName = m_docName = QStringLiteral("Minimal");
}

int CMinimalModule::LoadDocTemplate()
{
    m_docTemplate = new CProDocTemplate(
        9100, QStringLiteral("\nMinimal\nMinimal"), [] { return new CProBaseFrameDoc; },
        [](CProBaseFrameDoc *document) {
            auto *frame = new CProChildFrame(document);
            frame->setWidget(new QLabel(QStringLiteral("Minimal"), frame));
            return frame;
        });
    return 1;
}

QString CMinimalModule::GetDocName(const QString &)
{
    return m_docName;
}

QToolBar *CMinimalModule::LoadSubToolBar(const QString &)
{
    return nullptr;
}
