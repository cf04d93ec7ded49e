#include "modules/alarm/rulelistdelegate.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

#include "modules/alarm/rulelistmodel.h"

namespace {

constexpr QRgb EvenRowColour = 0xFBF7F4;
constexpr QRgb OddRowColour = 0xFFFFFF;
constexpr int IconLeft = 6;
constexpr int IconSize = 16;

QStyle::StandardPixmap StateIcon(CRuleListModel::State state)
{
    switch (state) {
    case CRuleListModel::State::On:
        return QStyle::SP_DialogApplyButton;
    case CRuleListModel::State::Off:
        return QStyle::SP_MediaStop;
    case CRuleListModel::State::Unknown:
        break;
    }
    return QStyle::SP_MessageBoxQuestion;
}

// The name broken into lines that fit width, breaking between any characters.
QStringList WrappedLines(const QString &name, const QFont &font, int width)
{
    QTextLayout layout(name, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines.append(name.mid(line.textStart(), line.textLength()));
    }
    layout.endLayout();
    if (lines.isEmpty())
        lines.append(QString());
    return lines;
}

} // namespace

QStringList CRuleListDelegate::NameLines(const QString &name, const QFont &font)
{
    return WrappedLines(name, font, NameRight - NameLeft);
}

QSize CRuleListDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QStringList lines = NameLines(index.data().toString(), option.font);
    return {RowWidth, LineHeight * int(lines.size())};
}

void CRuleListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();
    const QRect row = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(row, selected ? option.palette.highlight()
                                    : QBrush(QColor(index.row() % 2 == 0 ? EvenRowColour : OddRowColour)));
    painter->setPen(selected ? option.palette.highlightedText().color() : QColor(Qt::black));

    const auto state = CRuleListModel::State(index.data(CRuleListModel::StateRole).toInt());
    const QIcon icon = QApplication::style()->standardIcon(StateIcon(state));
    icon.paint(painter, QRect(row.left() + IconLeft, row.top() + (LineHeight - IconSize) / 2, IconSize, IconSize));

    const QStringList lines = NameLines(index.data().toString(), option.font);
    for (int line = 0; line < lines.size(); ++line)
        painter->drawText(QRect(row.left() + NameLeft, row.top() + line * LineHeight, NameRight - NameLeft, LineHeight),
                          Qt::AlignVCenter | Qt::AlignLeft, lines[line]);
    painter->drawText(QRect(row.left() + DateLeft, row.top(), RowWidth - DateLeft, LineHeight),
                      Qt::AlignVCenter | Qt::AlignLeft, index.data(CRuleListModel::DateRole).toString());
    painter->restore();
}
