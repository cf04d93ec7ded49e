#pragma once

#include <functional>

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "orb/wire/keelexport.h"

class CProBaseFrameDoc;
class CProChildFrame;

// A multiple-document template: the document strings ("\nWatch\nWatch\n...",
// whose second field is the document name) and the factories of the document
// and of the child frame that shows it (the frame makes its own views).
class KEEL_EXPORT CProDocTemplate
{
public:
    using DocumentFactory = std::function<CProBaseFrameDoc *()>;
    using FrameFactory = std::function<CProChildFrame *(CProBaseFrameDoc *)>;

    CProDocTemplate(int resourceId, const QString &docStrings, DocumentFactory makeDocument,
                    FrameFactory makeFrame);
    virtual ~CProDocTemplate();

    int ResourceId() const { return m_resourceId; }
    // The document name: the second field of the document strings.
    QString GetDocName() const;
    QString GetDocString(int index) const;

    // A new document in a new child frame of the main frame, shown maximised;
    // null when the document refuses to start.
    CProChildFrame *OpenDocumentFile();
    // The frames of this template's documents that are still open.
    QList<CProChildFrame *> OpenFrames() const;

private:
    int m_resourceId;
    QStringList m_docStrings;
    DocumentFactory m_makeDocument;
    FrameFactory m_makeFrame;
    QList<QPointer<CProChildFrame>> m_frames;
};
