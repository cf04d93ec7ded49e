#include "frame/moduletables.h"

#include "frame/prodoctemplate.h"
#include "frame/promodule.h"

CModuleTables::CModuleTables() = default;

CModuleTables::~CModuleTables()
{
    Clear();
}

CProModule *CModuleTables::Adopt(std::unique_ptr<CProModule> module)
{
    m_owned.push_back(std::move(module));
    return m_owned.back().get();
}

void CModuleTables::EnterModule(const QString &name, CProModule *module)
{
    m_modules.insert(name, module);
    m_navigation.insert(name, module);
}

void CModuleTables::EnterDocument(const QString &name, CProModule *module)
{
    m_navigation.insert(name, module);
}

CProDocTemplate *CModuleTables::AddTemplate(std::unique_ptr<CProDocTemplate> docTemplate)
{
    m_templates.push_back(std::move(docTemplate));
    return m_templates.back().get();
}

CProDocTemplate *CModuleTables::FindTemplate(const QString &docName) const
{
    for (const std::unique_ptr<CProDocTemplate> &docTemplate : m_templates) {
        if (docTemplate->GetDocName() == docName)
            return docTemplate.get();
    }
    return nullptr;
}

void CModuleTables::Clear()
{
    m_navigation.clear();
    m_modules.clear();
    for (std::unique_ptr<CProModule> &module : m_owned) {
        try {
            module.reset();
        } catch (...) {
            // A module's failing destructor must not stop the others' unloading.
            module.release();
        }
    }
    m_owned.clear();
    m_templates.clear();
}
