#pragma once

#include <map>
#include <vector>

#include <QString>

#include "services/types/cellobj.h"

// One value a monitor kind returns: Name is stored in conditions, Label is
// what the operator reads and picks.
struct ReturnValue
{
    QString type;
    QString name;
    QString label;
};

// One monitor kind of the library file.
struct MonitorKind
{
    QString id;
    QString label;
    QString name;
    QString description;
    // N_ExecuteAssemblyName, N_ExecuteFunc, U_..., extraxfunc, ... by attribute name.
    std::map<QString, QString> probeNames;
    std::vector<CellObj> parameters;
    // Default texts of the three conditions.
    QString normalDefault;
    QString warningDefault;
    QString errorDefault;
    std::vector<ReturnValue> returns;
};

// The monitor kinds of "config/MonitorLibrary.config": what each kind is
// called, its parameters, its return values and default conditions. Kinds are
// looked up by their "Id" attribute, compared exactly as text.
class CMonitorLibrary
{
public:
    static constexpr const char *File = "config\\MonitorLibrary.config";

    // Reads the file below the install root.
    CMonitorLibrary();
    explicit CMonitorLibrary(const QString &path);

    // The kind, or null when the library has none with this Id.
    const MonitorKind *Find(const QString &id) const;
    std::size_t Count() const { return m_kinds.size(); }

private:
    std::map<QString, MonitorKind> m_kinds;
};
