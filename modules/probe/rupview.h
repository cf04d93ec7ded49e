#pragma once

#include <QWidget>

#include "modules/probe/monitorlistmodel.h"

class CTMonitorDoc;
class ElementObj;
class CMonitorTileDelegate;
class QLabel;
class QListView;
class QPlainTextEdit;

// The details of the selected element and, for a device, its monitors
// ("findElementArray") as tiles, with the summary text of the selected
// monitor below them. A tile's "Status" button selects it and fetches the
// states anew; the other buttons are handed on by TileButton.
class CRUpView : public QWidget
{
    Q_OBJECT

public:
    explicit CRUpView(CTMonitorDoc &document, QWidget *parent = nullptr);

    void ShowElement(const QModelIndex &item);
    // Fetches the device's monitors again, keeping the selected one.
    void Refresh();
    CMonitorListModel &Monitors() { return m_monitors; }
    QLabel *Field(int row) const;
    QListView *Tiles() const { return m_tiles; }
    CMonitorTileDelegate *TileDelegate() const { return m_delegate; }
    QPlainTextEdit *Summary() const { return m_summary; }
    // Selects the tile of row (highlight and summary); -1 selects none.
    void SelectTile(int row);
    // What a click on button of the tile of row does.
    void PressTile(int row, int button);

signals:
    // "Edit", "Test", "Delete" or "Alert" on the monitor of a tile.
    void TileButton(int button, const ElementObj &monitor);

private:
    void ShowSummary();

    CTMonitorDoc &m_doc;
    CMonitorListModel m_monitors;
    QList<QLabel *> m_fields;
    QListView *m_tiles;
    CMonitorTileDelegate *m_delegate;
    QPlainTextEdit *m_summary;
    QString m_deviceId;
};
