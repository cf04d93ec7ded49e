#include "frame/prodoctemplate.h"

#include <QMdiArea>

#include "frame/proapp.h"
#include "frame/probaseframedoc.h"
#include "frame/prochildframe.h"
#include "frame/promainframe.h"

CProDocTemplate::CProDocTemplate(int resourceId, const QString &docStrings, DocumentFactory makeDocument,
                                 FrameFactory makeFrame)
    : m_resourceId(resourceId)
    , m_docStrings(docStrings.split(QLatin1Char('\n')))
    , m_makeDocument(std::move(makeDocument))
    , m_makeFrame(std::move(makeFrame))
{
}

CProDocTemplate::~CProDocTemplate() = default;

QString CProDocTemplate::GetDocString(int index) const
{
    return m_docStrings.value(index);
}

QString CProDocTemplate::GetDocName() const
{
    return GetDocString(1);
}

CProChildFrame *CProDocTemplate::OpenDocumentFile()
{
    CProApp *app = CProApp::instance();
    CProMainFrame *mainFrame = app ? app->GetMainFrame() : nullptr;
    if (!mainFrame || !m_makeDocument || !m_makeFrame)
        return nullptr;
    CProBaseFrameDoc *document = m_makeDocument();
    if (!document)
        return nullptr;
    if (!document->OnNewDocument()) {
        delete document;
        return nullptr;
    }
    CProChildFrame *frame = m_makeFrame(document);
    if (!frame) {
        delete document;
        return nullptr;
    }
    m_frames.removeAll(nullptr);
    m_frames.append(frame);
    mainFrame->MdiArea()->addSubWindow(frame);
    frame->showMaximized();
    mainFrame->MdiArea()->setActiveSubWindow(frame);
    return frame;
}

QList<CProChildFrame *> CProDocTemplate::OpenFrames() const
{
    QList<CProChildFrame *> frames;
    for (const QPointer<CProChildFrame> &frame : m_frames) {
        if (frame)
            frames.append(frame);
    }
    return frames;
}
