#pragma once

#include <memory>
#include <utility>
#include <vector>

#include <QString>

#include <pugixml.hpp>

#include "services/types/cellobj.h"

class EntityObj;
class MtxTree;

// The local catalogue of device types and their property forms:
// "config/Entity.xml" (the type tree), "config/EntityControl.xml" (one form per
// type, a "section" keyed by "viewId") and "config/Item.config" (option lists).
class CEntityCatalog
{
public:
    static constexpr const char *RootLabel = "Velmora网络检测类型";
    static constexpr const char *TypesFile = "config\\Entity.xml";
    static constexpr const char *FormsFile = "config\\EntityControl.xml";
    static constexpr const char *OptionsFile = "config\\Item.config";

    struct Option
    {
        QString text;
        QString value;
    };

    // Reads the three files from the install root's "config" folder.
    CEntityCatalog();
    // Reads them from explicit paths (tests).
    CEntityCatalog(const QString &typesPath, const QString &formsPath, const QString &optionsPath);
    ~CEntityCatalog();

    // The type tree: a root EntityObj labelled RootLabel, one node per
    // "AppEntity" in document order.
    const MtxTree &Types() const { return *m_types; }
    // The first type, depth first, whose "type" code is typeCode; null when none.
    const EntityObj *FindType(const QString &typeCode) const;
    // The form of a type ("section viewId=..."); empty when there is none.
    std::vector<CellObj> Form(const QString &viewId) const;
    // An option list of Item.config, in file order; empty when there is none.
    std::vector<Option> Options(const QString &listId) const;

    // One form cell from an "Item" with its "Setting"; readOnlyAttribute is
    // "ReadOnly" in the entity forms and "IsReadOnly" in the monitor library.
    static CellObj CellFromItem(const pugi::xml_node &item, const char *readOnlyAttribute);

private:
    void ReadTypes(const QString &path);

    std::unique_ptr<MtxTree> m_types;
    pugi::xml_document m_forms;
    pugi::xml_document m_options;
};
