#pragma once

#include <QStyledItemDelegate>

// Paints a monitor of CMonitorListModel as a tile: the state picture, the
// monitor's name, kind and last check, and a row of five buttons ("Status",
// "Edit", "Test", "Delete", "Alert"). The buttons are painted, not widgets,
// so a device with hundreds of monitors costs one view; a click on one is
// reported by ButtonClicked.
class CMonitorTileDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    enum Button { Status, Edit, Test, Delete, Alert, ButtonCount };
    static constexpr int Width = 250;
    static constexpr int Height = 92;

    explicit CMonitorTileDelegate(QObject *parent = nullptr);

    static QString ButtonText(int button);
    // Where button lies in a tile drawn in tile.
    static QRect ButtonRect(const QRect &tile, int button);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

signals:
    void ButtonClicked(int row, int button);

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
};
