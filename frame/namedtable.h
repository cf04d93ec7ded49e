#pragma once

#include <QList>
#include <QPair>
#include <QString>

// A table from name to a non-owning pointer that keeps the order in which names
// were first entered (the about box lists modules and services in that order).
// Entering an existing name replaces its value in place.
template <class T>
class NamedTable
{
public:
    using Entry = QPair<QString, T *>;

    void insert(const QString &name, T *value)
    {
        for (Entry &entry : m_entries) {
            if (entry.first == name) {
                entry.second = value;
                return;
            }
        }
        m_entries.append({name, value});
    }
    T *value(const QString &name) const
    {
        for (const Entry &entry : m_entries) {
            if (entry.first == name)
                return entry.second;
        }
        return nullptr;
    }
    bool contains(const QString &name) const { return value(name) != nullptr; }
    void remove(const QString &name)
    {
        m_entries.removeIf([&](const Entry &entry) { return entry.first == name; });
    }
    void clear() { m_entries.clear(); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    qsizetype size() const { return m_entries.size(); }
    const QList<Entry> &entries() const { return m_entries; }

private:
    QList<Entry> m_entries;
};
