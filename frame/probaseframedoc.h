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
    CProApp *GetApp() const { return m_app; }

private:
    CProApp *m_app;
};
