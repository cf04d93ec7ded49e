#include "modules/probe/entitycatalog.h"

#include <cstring>

#include "frame/localtext.h"
#include "modules/probe/configfile.h"
#include "orb/wire/mtxtree.h"
#include "services/types/entityobj.h"

namespace {

// Stores the UTF-8 text in the code page, cut on a whole character when the
// field is narrower than the catalogue's text.
void SetField(MtxRecord &record, int field, const char *utf8)
{
    record.setTruncated(field, toLocal(QString::fromUtf8(utf8)));
}

void ReadEntity(const pugi::xml_node &element, MtxTree &tree)
{
    auto &entity = static_cast<EntityObj &>(tree.node());
    SetField(entity, EntityObj::Id, element.attribute("Id").value());
    SetField(entity, EntityObj::Name, element.attribute("Name").value());
    SetField(entity, EntityObj::parentid, element.attribute("parentid").value());
    SetField(entity, EntityObj::type, element.attribute("type").value());
    SetField(entity, EntityObj::des, element.attribute("des").value());
    SetField(entity, EntityObj::AuthenticMonitor, element.attribute("AuthenticMonitor").value());
    for (const pugi::xml_node &child : element.children("AppEntity"))
        ReadEntity(child, tree.appendChild());
}

const EntityObj *FindIn(const MtxTree &tree, const std::string &code)
{
    const auto &entity = static_cast<const EntityObj &>(tree.node());
    if (entity.get(EntityObj::type) == code)
        return &entity;
    for (std::size_t i = 0; i < tree.childCount(); ++i)
        if (const EntityObj *found = FindIn(*tree.child(i), code))
            return found;
    return nullptr;
}

} // namespace

CEntityCatalog::CEntityCatalog()
    : CEntityCatalog(ConfigFile::PathOf(QString::fromLatin1(TypesFile)),
                     ConfigFile::PathOf(QString::fromLatin1(FormsFile)),
                     ConfigFile::PathOf(QString::fromLatin1(OptionsFile)))
{
}

CEntityCatalog::CEntityCatalog(const QString &typesPath, const QString &formsPath, const QString &optionsPath)
    : m_types(std::make_unique<MtxTree>(std::make_unique<EntityObj>()))
{
    ReadTypes(typesPath);
    ConfigFile::Load(formsPath, m_forms);
    ConfigFile::Load(optionsPath, m_options);
}

CEntityCatalog::~CEntityCatalog() = default;

void CEntityCatalog::ReadTypes(const QString &path)
{
    SetField(static_cast<EntityObj &>(m_types->node()), EntityObj::Name, RootLabel);
    pugi::xml_document document;
    if (!ConfigFile::Load(path, document))
        return;
    pugi::xml_node top = document.child("configuration");
    if (!top)
        top = document;
    for (const pugi::xml_node &element : top.children("AppEntity"))
        ReadEntity(element, m_types->appendChild());
}

const EntityObj *CEntityCatalog::FindType(const QString &typeCode) const
{
    if (typeCode.isEmpty())
        return nullptr;
    const std::string code = toLocal(typeCode);
    for (std::size_t i = 0; i < m_types->childCount(); ++i)
        if (const EntityObj *found = FindIn(*m_types->child(i), code))
            return found;
    return nullptr;
}

CellObj CEntityCatalog::CellFromItem(const pugi::xml_node &item, const char *readOnlyAttribute)
{
    CellObj cell;
    const pugi::xml_node setting = item.child("Setting");
    SetField(cell, CellObj::ShowText, item.attribute("ShowText").value());
    SetField(cell, CellObj::Description, item.attribute("Description").value());
    const std::pair<int, const char *> attributes[] = {
        {CellObj::Id, "Id"}, {CellObj::ControlName, "ControlName"}, {CellObj::ControlType, "ControlType"},
        {CellObj::DefaultVlaue, "DefaultVlaue"}, {CellObj::AllowNull, "AllowNull"},
        {CellObj::ControlHeight, "ControlHeight"}, {CellObj::ControlWidth, "ControlWidth"},
        {CellObj::DataLength, "DataLength"}, {CellObj::IsReadOnly, readOnlyAttribute},
        {CellObj::LibraryId, "LibraryId"}};
    for (const auto &[field, name] : attributes)
        SetField(cell, field, setting.attribute(name).value());
    const pugi::xml_attribute dynamic = setting.attribute("IsDynamicListProperty");
    SetField(cell, CellObj::IsDynamicListProperty, dynamic ? dynamic.value() : "false");
    return cell;
}

std::vector<CellObj> CEntityCatalog::Form(const QString &viewId) const
{
    std::vector<CellObj> cells;
    if (viewId.isEmpty())
        return cells;
    const QByteArray key = viewId.toUtf8();
    const pugi::xml_node section =
        m_forms.find_node([&](const pugi::xml_node &node) {
            return std::strcmp(node.name(), "section") == 0 && key == node.attribute("viewId").value();
        });
    for (const pugi::xml_node &item : section.children("Item"))
        cells.push_back(CellFromItem(item, "ReadOnly"));
    return cells;
}

std::vector<CEntityCatalog::Option> CEntityCatalog::Options(const QString &listId) const
{
    std::vector<Option> options;
    if (listId.isEmpty())
        return options;
    const QByteArray key = listId.toUtf8();
    const pugi::xml_node list = m_options.find_node([&](const pugi::xml_node &node) {
        return std::strcmp(node.name(), "Items") == 0 && key == node.attribute("Id").value();
    });
    for (const pugi::xml_node &option : list.children("option"))
        options.push_back({QString::fromUtf8(option.child_value()), ConfigFile::Attribute(option, "value")});
    return options;
}
