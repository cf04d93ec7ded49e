#include "modules/probe/devicedialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include "frame/elementtree/iconlist.h"
#include "frame/installroot.h"
#include "frame/localtext.h"
#include "frame/localtextvalidator.h"
#include "modules/probe/entitycatalog.h"
#include "modules/probe/paramlist.h"
#include "modules/probe/dialogrunner.h"
#include "modules/probe/probemessage.h"
#include "modules/probe/propertyform.h"
#include "orb/wire/mtxtree.h"
#include "services/types/entityobj.h"

namespace {

constexpr int CodeRole = Qt::UserRole + 1;

QTreeWidgetItem *FindCode(QTreeWidgetItem *item, const QString &code)
{
    if (!code.isEmpty() && item->data(0, CodeRole).toString() == code)
        return item;
    for (int i = 0; i < item->childCount(); ++i)
        if (QTreeWidgetItem *found = FindCode(item->child(i), code))
            return found;
    return nullptr;
}

} // namespace

CDeviceDialog::CDeviceDialog(const CEntityCatalog &catalog, QWidget *parent)
    : QDialog(parent), m_catalog(catalog), m_types(new QTreeWidget(this)), m_form(new CPropertyForm(this))
{
    setWindowTitle(QStringLiteral("设备维护"));
    resize(900, 520);
    m_types->setHeaderHidden(true);
    m_types->setMaximumWidth(240);
    m_types->setIconSize(QSize(CIconList::IconSize, CIconList::IconSize));
    AddTypes(catalog.Types(), nullptr);
    m_types->expandAll();

    auto *columns = new QHBoxLayout;
    columns->addWidget(m_types);
    columns->addWidget(m_form, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(DialogRunner::OkCancel(*this));
    connect(m_types, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item)
            ChooseType(item->data(0, CodeRole).toString());
    });
}

void CDeviceDialog::AddTypes(const MtxTree &tree, QTreeWidgetItem *parent)
{
    const auto icons = CIconList::Load(InstallRoot::FilePath(QString::fromLatin1(IconFile)));
    const auto &entity = static_cast<const EntityObj &>(tree.node());
    const QString code = fromLocal(entity.get(EntityObj::type));
    auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_types);
    item->setText(0, fromLocal(entity.get(EntityObj::Name)));
    item->setData(0, CodeRole, code);
    bool numeric = false;
    const int iconIndex = code.toInt(&numeric);
    if (numeric)
        item->setIcon(0, icons->Icon(iconIndex));
    // Only a type with a code can be chosen for a device.
    if (code.isEmpty())
        item->setFlags(Qt::ItemIsEnabled);
    for (std::size_t i = 0; i < tree.childCount(); ++i)
        AddTypes(*tree.child(i), item);
}

bool CDeviceDialog::ChooseType(const QString &typeCode)
{
    if (typeCode.isEmpty() || !m_catalog.FindType(typeCode))
        return false;
    m_typeCode = typeCode;
    if (QTreeWidgetItem *item = FindCode(m_types->invisibleRootItem(), typeCode); item && m_types->currentItem() != item) {
        const QSignalBlocker block(m_types);
        m_types->setCurrentItem(item);
    }
    ShowForm();
    return true;
}

void CDeviceDialog::ChooseFirstType()
{
    for (QTreeWidgetItemIterator it(m_types); *it; ++it)
        if (ChooseType((*it)->data(0, CodeRole).toString()))
            return;
}

void CDeviceDialog::ShowForm()
{
    const ElementObj &device = m_device;
    m_form->Build(
        m_catalog.Form(m_typeCode), CPropertyForm::Rows::Entity,
        [&device](const CellObj &cell) {
            const QString name = fromLocal(cell.get(CellObj::ControlName));
            if (name == QLatin1String(LabelName))
                return fromLocal(device.get(ElementObj::Text));
            if (name == QLatin1String(AddressName))
                return fromLocal(device.get(ElementObj::Entity_IpAddress));
            return ParamList::Value(device.params(), name);
        },
        [this](const QString &listId) { return m_catalog.Options(listId); },
        [](const QString &name) {
            if (name == QLatin1String(LabelName))
                return LabelBytes;
            return name == QLatin1String(AddressName) ? AddressBytes : ParamBytes;
        });
}

void CDeviceDialog::Load(const ElementObj &device)
{
    m_device = device;
    // A type the local catalogue does not know keeps its code; its form has no rows.
    if (!ChooseType(fromLocal(device.get(ElementObj::Type)))) {
        m_typeCode = fromLocal(device.get(ElementObj::Type));
        ShowForm();
    }
    m_types->setEnabled(false);
}

QString CDeviceDialog::Store(ElementObj &device) const
{
    if (m_typeCode.isEmpty())
        return QStringLiteral("请选择设备类型");
    if (QString message = m_form->Check(); !message.isEmpty())
        return message;
    ElementObj result(device);
    for (const auto &[name, value] : m_form->Values()) {
        if (name == QLatin1String(LabelName))
            result.set(ElementObj::Text, toLocal(value.trimmed()));
        else if (name == QLatin1String(AddressName))
            result.set(ElementObj::Entity_IpAddress, toLocal(value.trimmed()));
        else if (!ParamList::Set(result.params(), name, value))
            return name + QStringLiteral(": ") + CLocalTextValidator::tooLongMessage(ParamBytes);
    }
    if (result.get(ElementObj::Text).empty())
        return QStringLiteral("请输入设备名称");
    result.set(ElementObj::Type, toLocal(m_typeCode));
    device = result;
    return {};
}

void CDeviceDialog::accept()
{
    ElementObj probe;
    if (ProbeMessage::Passed(Store(probe)))
        QDialog::accept();
}
