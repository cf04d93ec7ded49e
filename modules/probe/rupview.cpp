#include "modules/probe/rupview.h"

#include <QAction>
#include <QFormLayout>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QVBoxLayout>

#include "frame/localtext.h"
#include "modules/probe/entitycatalog.h"
#include "modules/probe/monitorsummary.h"
#include "modules/probe/monitortiledelegate.h"
#include "modules/probe/tmonitordoc.h"
#include "orb/wire/mtxarray.h"
#include "services/types/elementobj.h"
#include "services/types/entityobj.h"

namespace {

const char *const Captions[] = {"名称", "类型", "IP地址", "状态", "最后检测时间", "说明"};
const char *const Modes[] = {"永久有效", "定时有效", "永久禁止", "定时禁止"};
const char *const States[] = {"正常", "危险", "错误"};

QString Choice(const std::string &number, const char *const *texts, int count)
{
    bool numeric = false;
    const int value = QString::fromStdString(number).toInt(&numeric);
    return numeric && value >= 0 && value < count ? QString::fromUtf8(texts[value]) : fromLocal(number);
}

} // namespace

CRUpView::CRUpView(CTMonitorDoc &document, QWidget *parent)
    : QWidget(parent)
    , m_doc(document)
    , m_monitors(this)
    , m_tiles(new QListView)
    , m_delegate(new CMonitorTileDelegate(this))
    , m_summary(new QPlainTextEdit)
{
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    for (const char *caption : Captions) {
        auto *field = new QLabel(this);
        field->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(QString::fromUtf8(caption), field);
        m_fields.append(field);
    }
    layout->addLayout(form);
    m_tiles->setViewMode(QListView::IconMode);
    m_tiles->setResizeMode(QListView::Adjust);
    m_tiles->setMovement(QListView::Static);
    m_tiles->setUniformItemSizes(true);
    m_tiles->setSpacing(2);
    m_tiles->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tiles->setModel(&m_monitors);
    m_tiles->setItemDelegate(m_delegate);
    m_tiles->setObjectName(QStringLiteral("MonitorTiles"));
    // The tile buttons also as the tiles' context menu, on the current tile.
    m_tiles->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (int button = 0; button < CMonitorTileDelegate::ButtonCount; ++button) {
        auto *action = new QAction(CMonitorTileDelegate::ButtonText(button), m_tiles);
        connect(action, &QAction::triggered, this, [this, button] {
            if (m_tiles->currentIndex().isValid())
                PressTile(m_tiles->currentIndex().row(), button);
        });
        m_tiles->addAction(action);
    }
    m_summary->setReadOnly(true);
    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_tiles);
    split->addWidget(m_summary);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    layout->addWidget(split, 1);
    connect(m_tiles->selectionModel(), &QItemSelectionModel::currentChanged, this, &CRUpView::ShowSummary);
    connect(m_delegate, &CMonitorTileDelegate::ButtonClicked, this, &CRUpView::PressTile);
    connect(&document, &CTMonitorDoc::CurrentChanged, this, &CRUpView::ShowElement);
    connect(&document, &CTMonitorDoc::MonitorsChanged, this, [this](const QString &deviceId) {
        if (deviceId == m_deviceId)
            ShowElement(m_doc.Current());
    });
}

QLabel *CRUpView::Field(int row) const
{
    return m_fields.value(row);
}

void CRUpView::ShowElement(const QModelIndex &item)
{
    const ElementObj *element = m_doc.Tree().Element(item);
    m_deviceId.clear();
    m_monitors.Clear();
    m_summary->clear();
    if (!element) {
        for (QLabel *field : m_fields)
            field->clear();
        return;
    }
    const CElementTreeModel::Kind kind = m_doc.Tree().KindOf(item);
    const EntityObj *type = kind == CElementTreeModel::Kind::Device
                                ? m_doc.Catalog().FindType(fromLocal(element->get(ElementObj::Type)))
                                : nullptr;
    const QString kindText[] = {QStringLiteral("根"), QStringLiteral("组"), QStringLiteral("设备"), QStringLiteral("检测")};
    m_fields[0]->setText(fromLocal(element->get(ElementObj::Text)));
    m_fields[1]->setText(type ? fromLocal(type->get(EntityObj::Name)) : kindText[int(kind)]);
    m_fields[2]->setText(fromLocal(element->get(ElementObj::Entity_IpAddress)));
    m_fields[3]->setText(Choice(element->get(ElementObj::LastState), States, 3) + QStringLiteral("  检测:")
                         + Choice(element->get(ElementObj::MStatus), Modes, 4) + QStringLiteral("  报警:")
                         + Choice(element->get(ElementObj::AStatus), Modes, 4));
    m_fields[4]->setText(fromLocal(element->get(ElementObj::LastMonitorTime)));
    m_fields[5]->setText(fromLocal(element->get(ElementObj::Monitor_Description)));
    if (kind != CElementTreeModel::Kind::Device)
        return;
    m_deviceId = fromLocal(element->get(ElementObj::ID));
    auto monitors = std::make_unique<MtxArray>();
    m_monitors.SetLibrary(&m_doc.Library());
    if (m_doc.FindMonitors(m_deviceId, *monitors))
        m_monitors.SetMonitors(std::move(monitors));
}

void CRUpView::Refresh()
{
    if (m_deviceId.isEmpty())
        return;
    const ElementObj *selected = m_monitors.Element(m_tiles->currentIndex().row());
    const QString selectedId = selected ? fromLocal(selected->get(ElementObj::ID)) : QString();
    auto monitors = std::make_unique<MtxArray>();
    if (!m_doc.FindMonitors(m_deviceId, *monitors))
        return;
    m_monitors.SetMonitors(std::move(monitors));
    for (int row = 0; row < m_monitors.rowCount(); ++row)
        if (fromLocal(m_monitors.Element(row)->get(ElementObj::ID)) == selectedId)
            SelectTile(row);
    ShowSummary();
}

void CRUpView::SelectTile(int row)
{
    const QModelIndex tile = m_monitors.index(row, 0);
    m_tiles->selectionModel()->setCurrentIndex(tile, QItemSelectionModel::ClearAndSelect);
    ShowSummary();
}

void CRUpView::ShowSummary()
{
    const ElementObj *monitor = m_monitors.Element(m_tiles->currentIndex().row());
    m_summary->setPlainText(monitor ? MonitorSummary::Text(*monitor) : QString());
}

void CRUpView::PressTile(int row, int button)
{
    SelectTile(row);
    if (button == CMonitorTileDelegate::Status) {
        Refresh();
        return;
    }
    // A copy: the handler may fetch the monitors anew.
    if (const ElementObj *monitor = m_monitors.Element(row)) {
        const ElementObj chosen(*monitor);
        emit TileButton(button, chosen);
    }
}
