#include "modules/probe/monitordialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "frame/localtext.h"
#include "frame/localtextvalidator.h"
#include "modules/probe/conditiondialog.h"
#include "modules/probe/conditiontext.h"
#include "modules/probe/dialogrunner.h"
#include "modules/probe/entitycatalog.h"
#include "modules/probe/paramlist.h"
#include "modules/probe/probemessage.h"
#include "modules/probe/proberunner.h"
#include "modules/probe/propertyform.h"
#include "services/types/entityobj.h"
#include "services/types/expressionparamitemobj.h"
#include "services/types/monitorobj.h"

namespace {

struct BoxText
{
    const char *title;
    const char *button;
    const char *name;
    StateConditionObj::Field field;
};

constexpr BoxText Boxes[CMonitorDialog::BoxCount] = {
    {"正常(设置正常条件,满足此条件则此检测状态为正常)", "设置正常条件", "正常", StateConditionObj::Normal},
    {"危险(设置危险条件,满足此条件则此检测状态为危险)", "设置危险条件", "危险", StateConditionObj::Warning},
    {"错误(设置错误条件,满足此条件则此检测状态为错误)", "设置错误条件", "错误", StateConditionObj::Error},
};

constexpr int KindRole = Qt::UserRole + 1;

} // namespace

CMonitorDialog::CMonitorDialog(const CMonitorLibrary &library, const CEntityCatalog &catalog,
                               const ElementObj &device, QWidget *parent)
    : QDialog(parent)
    , m_library(library)
    , m_catalog(catalog)
    , m_device(device)
    , m_kinds(new QTreeWidget(this))
    , m_name(new QLineEdit(this))
    , m_form(new CPropertyForm(this))
{
    setWindowTitle(QStringLiteral("检测设置"));
    resize(760, 640);
    m_kinds->setHeaderHidden(true);
    m_kinds->setMaximumWidth(220);
    CLocalTextValidator::limit(m_name, NameBytes);

    auto *right = new QVBoxLayout;
    auto *nameRow = new QFormLayout;
    nameRow->addRow(QStringLiteral("检测名称"), m_name);
    right->addLayout(nameRow);
    right->addWidget(m_form, 1);
    for (int box = 0; box < BoxCount; ++box) {
        auto *group = new QGroupBox(QString::fromUtf8(Boxes[box].title), this);
        auto *row = new QHBoxLayout(group);
        m_boxes[box] = new QLineEdit(group);
        m_buttons[box] = new QPushButton(QString::fromUtf8(Boxes[box].button), group);
        row->addWidget(m_boxes[box], 1);
        row->addWidget(m_buttons[box]);
        right->addWidget(group);
        connect(m_buttons[box], &QPushButton::clicked, this, [this, box] { EditCondition(Box(box)); });
    }
    auto *columns = new QHBoxLayout;
    columns->addWidget(m_kinds);
    columns->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(DialogRunner::OkCancel(*this));
    connect(m_kinds, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item && !m_editing)
            ChooseKind(item->data(0, KindRole).toString());
    });
    FillKinds();
}

void CMonitorDialog::FillKinds()
{
    const EntityObj *type = m_catalog.FindType(fromLocal(m_device.get(ElementObj::Type)));
    auto *root = new QTreeWidgetItem(m_kinds, {type ? fromLocal(type->get(EntityObj::Name)) : QString()});
    root->setFlags(Qt::ItemIsEnabled);
    if (type) {
        const QStringList kinds = fromLocal(type->get(EntityObj::AuthenticMonitor)).split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString &each : kinds) {
            const QString id = each.trimmed();
            const MonitorKind *kind = m_library.Find(id);
            if (!kind)
                continue; // a kind the local library does not describe cannot be set up
            auto *item = new QTreeWidgetItem(root, {kind->name});
            item->setData(0, KindRole, id);
        }
    }
    m_kinds->expandAll();
}

QString CMonitorDialog::ResolveDefault(const QString &value) const
{
    if (value == QLatin1String("mCurrentName")) {
        const QString label = fromLocal(m_device.get(ElementObj::Text));
        return label.left(label.indexOf(QLatin1Char('(')) < 0 ? label.size() : label.indexOf(QLatin1Char('(')));
    }
    if (value == QLatin1String("_MachineName"))
        return fromLocal(m_device.get(ElementObj::Entity_IpAddress));
    return value;
}

void CMonitorDialog::ShowKind(const MonitorKind *kind, const MonitorObj *stored)
{
    // A dynamic-list parameter offers what the probe lists for this device.
    m_form->SetDynamicList([this, kind] { return kind ? CProbeRunner().DynamicList(m_device, *kind) : QStringList(); });
    m_form->Build(
        kind ? kind->parameters : std::vector<CellObj>{}, CPropertyForm::Rows::Monitor,
        [&](const CellObj &cell) {
            const QString name = fromLocal(cell.get(CellObj::ControlName));
            return stored ? ParamList::Value(stored->params(), name)
                          : ResolveDefault(fromLocal(cell.get(CellObj::DefaultVlaue)));
        },
        [](const QString &) { return std::vector<CEntityCatalog::Option>{}; },
        [](const QString &) { return ParamBytes; });
}

bool CMonitorDialog::ChooseKind(const QString &kindId)
{
    const MonitorKind *kind = m_library.Find(kindId);
    QTreeWidgetItem *root = m_kinds->topLevelItem(0);
    QTreeWidgetItem *found = nullptr;
    for (int i = 0; root && i < root->childCount() && !found; ++i)
        if (root->child(i)->data(0, KindRole).toString() == kindId)
            found = root->child(i);
    if (!kind || !found)
        return false;
    m_kindId = kindId;
    {
        const QSignalBlocker block(m_kinds);
        m_kinds->setCurrentItem(found);
    }
    m_name->setText(kind->name);
    ShowKind(kind, nullptr);
    m_boxes[Normal]->setText(kind->normalDefault);
    m_boxes[Warning]->setText(kind->warningDefault);
    m_boxes[Error]->setText(kind->errorDefault);
    return true;
}

void CMonitorDialog::ChooseFirstKind()
{
    QTreeWidgetItem *root = m_kinds->topLevelItem(0);
    if (root && root->childCount() > 0)
        ChooseKind(root->child(0)->data(0, KindRole).toString());
}

void CMonitorDialog::Load(const MonitorObj &monitor)
{
    m_editing = true;
    m_kindId = fromLocal(monitor.get(MonitorObj::MonitorType));
    m_kinds->setEnabled(false);
    const MonitorKind *kind = m_library.Find(m_kindId);
    m_name->setText(fromLocal(monitor.get(MonitorObj::Text)));
    ShowKind(kind, &monitor);
    m_storedReturns.clear();
    for (std::size_t array = 0; array < StateConditionObj::ArrayCount; ++array)
        for (const auto &each : monitor.condition().array(array))
            if (const auto *item = dynamic_cast<const ExpressionParamItemObj *>(each.get())) {
                const QString name = fromLocal(item->get(ExpressionParamItemObj::paraName));
                if (!name.isEmpty())
                    m_storedReturns.push_back({QString(), name, name});
            }
    for (int box = 0; box < BoxCount; ++box)
        m_boxes[box]->setText(ConditionText::Render(monitor.condition(), Boxes[box].field, Returns()));
}

const std::vector<ReturnValue> &CMonitorDialog::Returns() const
{
    const MonitorKind *kind = m_library.Find(m_kindId);
    return kind ? kind->returns : m_storedReturns;
}

void CMonitorDialog::EditCondition(Box box)
{
    if (m_kindId.isEmpty()) {
        ProbeMessage::Tell(QStringLiteral("请先选择检测类型"));
        return;
    }
    CConditionDialog dialog(Returns(), !m_boxes[box]->text().trimmed().isEmpty(), this);
    if (DialogRunner::Run(dialog) == QDialog::Accepted)
        m_boxes[box]->setText(m_boxes[box]->text() + dialog.ResultText());
}

QString CMonitorDialog::Store(MonitorObj &monitor) const
{
    if (m_kindId.isEmpty())
        return QStringLiteral("请选择检测类型");
    const QString name = m_name->text().trimmed();
    if (name.isEmpty())
        return QStringLiteral("请输入检测名称");
    if (!CLocalTextValidator::fits(name, NameBytes))
        return QStringLiteral("检测名称: ") + CLocalTextValidator::tooLongMessage(NameBytes);
    if (QString message = m_form->Check(); !message.isEmpty())
        return message;
    MonitorObj result(monitor);
    for (int box = 0; box < BoxCount; ++box) {
        const QString message = ConditionText::Parse(m_boxes[box]->text(), Returns(), result.condition(),
                                                     Boxes[box].field, QString::fromUtf8(Boxes[box].name));
        if (!message.isEmpty())
            return message;
    }
    for (const auto &[param, value] : m_form->Values())
        if (!ParamList::Set(result.params(), param, value))
            return param + QStringLiteral(": ") + CLocalTextValidator::tooLongMessage(ParamBytes);
    result.set(MonitorObj::MonitorType, toLocal(m_kindId));
    result.set(MonitorObj::Text, toLocal(name));
    monitor = result;
    return {};
}

void CMonitorDialog::accept()
{
    MonitorObj probe;
    if (ProbeMessage::Passed(Store(probe)))
        QDialog::accept();
}
