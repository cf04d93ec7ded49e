#pragma once

#include <QWidget>

#include "orb/wire/keelexport.h"

class QListWidget;
class QToolBox;

// The outlook-style bar of the group-icon navigation: folders with a title,
// each holding items with a text and an image index, shown with large
// (32 x 32) or small (16 x 16) icons. Clicking an item reports its text.
class KEEL_EXPORT COutlookBar : public QWidget
{
    Q_OBJECT

public:
    explicit COutlookBar(QWidget *parent = nullptr);

    int AddFolder(const QString &title);
    void AddItem(int folder, const QString &text, int imageIndex);
    void SetLargeIcons(bool large);
    bool IsLargeIcons() const { return m_large; }

    int FolderCount() const;
    QString FolderTitle(int folder) const;
    QListWidget *FolderList(int folder) const;

signals:
    void ItemClicked(const QString &text);

private:
    void Apply(QListWidget *list) const;

    QToolBox *m_box;
    bool m_large = true;
};
