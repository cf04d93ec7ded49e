#pragma once

#include <QHash>
#include <QString>

#include "orb/wire/keelexport.h"

class ProfileFile;

// Pairs of texts entered both ways (a name and its counterpart in the other
// language): the names table of Keelsys.ini, and the host's own table of the
// texts it chose itself.
class KEEL_EXPORT CNamesTable
{
public:
    struct Pair
    {
        const char *chinese; // UTF-8
        const char *english;
    };

    CNamesTable() = default;
    // A table of built-in pairs.
    template <std::size_t N>
    explicit CNamesTable(const Pair (&pairs)[N])
    {
        for (const Pair &pair : pairs)
            Insert(QString::fromUtf8(pair.chinese), QString::fromUtf8(pair.english));
    }

    // "NAMES"/"namesCount" pairs "name" N and "name" N ".en"; a later pair
    // overwrites an earlier one with the same key.
    void Load(const ProfileFile &profile);
    void Insert(const QString &name, const QString &counterpart);
    void Clear() { m_names.clear(); }
    // The counterpart, or text itself when it has none (or an empty one).
    QString Translate(const QString &text) const;

private:
    QHash<QString, QString> m_names;
};
