#pragma once

#include <QDialog>

#include "orb/wire/keelexport.h"

class CProApp;
class QListWidget;

// The about box: the product caption and one line per loaded module
// ("M: name  VER: version") and per loaded service ("S: ...").
class KEEL_EXPORT CAboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDialog(const CProApp &app, QWidget *parent = nullptr);

    static QStringList Lines(const CProApp &app);
    QListWidget *List() const { return m_list; }

private:
    QListWidget *m_list;
};
