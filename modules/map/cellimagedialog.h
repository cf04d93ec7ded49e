#pragma once

#include "modules/map/checkeddialog.h"

class QComboBox;
class QLabel;
class QListWidget;
class QSpinBox;

// The cell image list: the bitmaps of "CellImage" by name with a preview, and
// how many images the chosen kind of cell uses (1 to 6 for a status cell, 1
// to 2 for a control cell). The bitmap and count taken with OK are kept in
// Keelsys.ini ("TP" "CellImage", "CellImageCount") and chosen again the next
// time the dialog opens.
class CCellImageDialog : public CCheckedDialog
{
    Q_OBJECT

public:
    CCellImageDialog(int kind, QWidget *parent = nullptr);

    // Picks the bitmap shown in the list as name (without ".bmp").
    bool SelectBitmap(const QString &name);
    QString Bitmap() const;
    void SetKind(int kind);
    // Changes the count; refused with a message before a bitmap is chosen.
    bool SetCount(int count);
    int Count() const;
    int MaxCount() const;
    QLabel *Preview() const { return m_preview; }

private:
    void ShowPreview();
    void RestoreChoice();
    void StoreChoice() const;

    QComboBox *m_kind;
    QListWidget *m_bitmaps;
    QLabel *m_preview;
    QSpinBox *m_count;
    int m_shownCount = 1;
};
