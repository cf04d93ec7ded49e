#include "modules/probe/monitortiledelegate.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include "modules/probe/monitorlistmodel.h"

namespace {

constexpr int Margin = 4;
constexpr int Picture = 28;
constexpr int ButtonHeight = 22;
const char *const ButtonTexts[] = {"Status", "Edit", "Test", "Delete", "Alert"};

// The state picture's colour: normal, warning, error; anything else unknown.
QColor StateColour(const QVariant &state)
{
    bool numeric = false;
    switch (state.toInt(&numeric)) {
    case 0:
        return numeric ? QColor(0x2e, 0xa0, 0x44) : QColor(Qt::gray);
    case 1:
        return QColor(0xe0, 0xa8, 0x00);
    case 2:
        return QColor(0xd0, 0x30, 0x30);
    default:
        return QColor(Qt::gray);
    }
}

} // namespace

CMonitorTileDelegate::CMonitorTileDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

QString CMonitorTileDelegate::ButtonText(int button)
{
    return button >= 0 && button < ButtonCount ? QString::fromLatin1(ButtonTexts[button]) : QString();
}

QRect CMonitorTileDelegate::ButtonRect(const QRect &tile, int button)
{
    const int width = (tile.width() - 2 * Margin) / ButtonCount;
    return {tile.left() + Margin + button * width, tile.bottom() - Margin - ButtonHeight + 1, width - 2, ButtonHeight};
}

QSize CMonitorTileDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return {Width, Height};
}

void CMonitorTileDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QRect tile = option.rect.adjusted(1, 1, -1, -1);
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(option.palette.color(QPalette::Mid));
    painter->setBrush(selected ? option.palette.highlight() : option.palette.base());
    painter->drawRoundedRect(tile, 4, 4);

    const QRect picture(tile.left() + Margin, tile.top() + Margin, Picture, Picture);
    painter->setPen(Qt::NoPen);
    painter->setBrush(StateColour(index.data(CMonitorListModel::StateRole)));
    painter->drawEllipse(picture);

    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const int textLeft = picture.right() + Margin;
    const int lineHeight = option.fontMetrics.height();
    const QString lines[] = {index.siblingAtColumn(CMonitorListModel::Name).data().toString(),
                             index.siblingAtColumn(CMonitorListModel::Kind).data().toString() + QStringLiteral("  ")
                                 + index.siblingAtColumn(CMonitorListModel::State).data().toString(),
                             index.siblingAtColumn(CMonitorListModel::LastMonitorTime).data().toString()};
    for (int line = 0; line < 3; ++line) {
        const QRect row(textLeft, tile.top() + Margin + line * lineHeight, tile.right() - Margin - textLeft, lineHeight);
        painter->drawText(row, Qt::AlignLeft | Qt::AlignVCenter,
                          option.fontMetrics.elidedText(lines[line], Qt::ElideRight, row.width()));
    }
    painter->restore();

    QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    for (int button = 0; button < ButtonCount; ++button) {
        QStyleOptionButton face;
        face.rect = ButtonRect(tile, button);
        face.text = ButtonText(button);
        face.state = QStyle::State_Enabled | QStyle::State_Raised;
        face.palette = option.palette;
        face.fontMetrics = option.fontMetrics;
        style->drawControl(QStyle::CE_PushButton, &face, painter, option.widget);
    }
}

bool CMonitorTileDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                                       const QModelIndex &index)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QRect tile = option.rect.adjusted(1, 1, -1, -1);
        for (int button = 0; button < ButtonCount; ++button)
            if (ButtonRect(tile, button).contains(mouse->position().toPoint())) {
                emit ButtonClicked(index.row(), button);
                return true;
            }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}
