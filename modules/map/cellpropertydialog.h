#pragma once

#include "modules/map/checkeddialog.h"

class QComboBox;
class QListWidget;

// "下级属性": the cell's kind and the background of its sub-picture, chosen
// from the image files of "UserImage" (or none).
class CCellPropertyDialog : public CCheckedDialog
{
    Q_OBJECT

public:
    static constexpr int ImageFieldBytes = 128;

    CCellPropertyDialog(int kind, const QString &image, QWidget *parent = nullptr);

    int Kind() const;
    QString Image() const;
    QComboBox *KindBox() const { return m_kind; }
    QListWidget *ImageList() const { return m_images; }
    // Selects name in the list; false when it is not listed.
    bool SelectImage(const QString &name);
    // Why the choice cannot be taken, or empty.
    QString Check() const override;

private:
    QComboBox *m_kind;
    QListWidget *m_images;
};
