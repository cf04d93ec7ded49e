#pragma once

#include <QObject>

#include "orb/wire/keelexport.h"

class CProApp;

// The base of every module document. On construction it becomes the current
// document of the application's current module.
class KEEL_EXPORT CProBaseFrameDoc : public QObject
{
    Q_OBJECT

public:
    CProBaseFrameDoc();
    ~CProBaseFrameDoc() override;

    // Prepares a new document; false refuses it.
    virtual bool OnNewDocument();
    // Asked before the document's window closes and before the program exits:
    // a document with unsaved changes asks the user and returns false to stay
    // open. Base: true.
    virtual bool SaveModified();
    CProApp *GetApp() const { return m_app; }

private:
    CProApp *m_app;
};
