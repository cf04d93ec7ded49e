#pragma once

#include <vector>

#include <QByteArray>
#include <QString>

#include "report/itemdefinition.h"

// Reads the return items of one monitor kind from the monitor library file
// (config/MonitorLibrary.config, GBK text). The file is read whole and parsed
// as XML; only the items of the asked kind are ever returned.
class CMonitorLibrary
{
public:
    // Larger files are refused rather than read into memory.
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

    // Loads the items of kind from the file at path. On failure items is
    // empty and Error() says what failed and what to do.
    bool Load(const QString &path, const QByteArray &kind);
    // The same from text already in memory (tests, other sources).
    bool Parse(const QByteArray &fileText, const QByteArray &kind, const QString &source = QString());

    const std::vector<ItemDefinition> &Items() const { return m_items; }
    // The kind's caption (its Label, else its Name), empty before a load.
    const QString &KindLabel() const { return m_kindLabel; }
    const QString &Error() const { return m_error; }

private:
    bool Fail(const QString &message);

    std::vector<ItemDefinition> m_items;
    QString m_kindLabel;
    QString m_error;
};
