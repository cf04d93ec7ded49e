#include "modules/probe/monitorlibrary.h"

#include <cstring>

#include "modules/probe/configfile.h"
#include "modules/probe/entitycatalog.h"

namespace {

constexpr const char *ProbeAttributes[] = {"N_ExecuteAssemblyName", "N_ExecuteFunc", "U_ExecuteAssemblyName",
                                           "U_ExecuteFunc", "extraxfunc", "extrantfunc", "extraunixfunc"};

MonitorKind ReadKind(const pugi::xml_node &element)
{
    MonitorKind kind;
    kind.id = ConfigFile::Attribute(element, "Id");
    kind.label = ConfigFile::Attribute(element, "Label");
    kind.name = ConfigFile::Attribute(element, "Name");
    kind.description = ConfigFile::Attribute(element, "Description");
    for (const char *name : ProbeAttributes)
        kind.probeNames[QString::fromLatin1(name)] = ConfigFile::Attribute(element, name);
    for (const pugi::xml_node &item : element.child("Parameter").children("Item"))
        kind.parameters.push_back(CEntityCatalog::CellFromItem(item, "IsReadOnly"));
    for (const pugi::xml_node &item : element.child("StateCondition").children("Item")) {
        const QString text = QString::fromUtf8(item.child("Setting").attribute("DefaultVlaue").value());
        const char *name = item.attribute("name").value();
        if (std::strcmp(name, "_goodParameter") == 0)
            kind.normalDefault = text;
        else if (std::strcmp(name, "_warningParameter") == 0)
            kind.warningDefault = text;
        else if (std::strcmp(name, "_errorParameter") == 0)
            kind.errorDefault = text;
    }
    for (const pugi::xml_node &item : element.child("Return").children("Item"))
        kind.returns.push_back({ConfigFile::Attribute(item, "Type"), ConfigFile::Attribute(item, "Name"),
                                ConfigFile::Attribute(item, "Label")});
    return kind;
}

} // namespace

CMonitorLibrary::CMonitorLibrary() : CMonitorLibrary(ConfigFile::PathOf(QString::fromLatin1(File))) {}

CMonitorLibrary::CMonitorLibrary(const QString &path)
{
    pugi::xml_document document;
    if (!ConfigFile::Load(path, document))
        return;
    // Monitor elements anywhere in the file; the first of an Id wins.
    for (const pugi::xpath_node &found : document.select_nodes("//Monitor")) {
        MonitorKind kind = ReadKind(found.node());
        if (!kind.id.isEmpty())
            m_kinds.emplace(kind.id, std::move(kind));
    }
}

const MonitorKind *CMonitorLibrary::Find(const QString &id) const
{
    const auto found = m_kinds.find(id);
    return found == m_kinds.end() ? nullptr : &found->second;
}
