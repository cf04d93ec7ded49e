#pragma once

#include <QStyledItemDelegate>

// Draws one rule row: a band of alternating colour, the status icon, the name
// wrapped between x 46 and 186 (by characters and the font's widths), and the
// date at x 330. A row is 20 pixels high per line of its name.
class CRuleListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    static constexpr int LineHeight = 20;
    static constexpr int NameLeft = 46;
    static constexpr int NameRight = 186;
    static constexpr int DateLeft = 330;
    static constexpr int RowWidth = 800;

    using QStyledItemDelegate::QStyledItemDelegate;

    // The name as broken into the lines of its column.
    static QStringList NameLines(const QString &name, const QFont &font);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
