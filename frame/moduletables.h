#pragma once

#include <memory>
#include <vector>

#include "frame/namedtable.h"
#include "orb/wire/keelexport.h"

class CProDocTemplate;
class CProModule;

// The loaded modules and what they registered: the module table (one entry
// per module), the navigation table (module names and the extra document
// names modules enter) and the document templates. It owns the modules and
// the templates.
class KEEL_EXPORT CModuleTables
{
public:
    CModuleTables();
    ~CModuleTables();
    CModuleTables(const CModuleTables &) = delete;
    CModuleTables &operator=(const CModuleTables &) = delete;

    CProModule *Adopt(std::unique_ptr<CProModule> module);
    // Enters a module under its name in both tables.
    void EnterModule(const QString &name, CProModule *module);
    // Enters a document name of a module in the navigation table.
    void EnterDocument(const QString &name, CProModule *module);
    CProDocTemplate *AddTemplate(std::unique_ptr<CProDocTemplate> docTemplate);
    CProDocTemplate *FindTemplate(const QString &docName) const;
    // The module behind a navigation name, or null.
    CProModule *Find(const QString &name) const { return m_navigation.value(name); }

    const NamedTable<CProModule> &Modules() const { return m_modules; }
    const NamedTable<CProModule> &Navigation() const { return m_navigation; }
    const std::vector<std::unique_ptr<CProDocTemplate>> &Templates() const { return m_templates; }

    // Deletes every module (a failing destructor does not stop the others)
    // and every template, and empties the tables.
    void Clear();

private:
    NamedTable<CProModule> m_modules;
    NamedTable<CProModule> m_navigation;
    std::vector<std::unique_ptr<CProModule>> m_owned;
    std::vector<std::unique_ptr<CProDocTemplate>> m_templates;
};
