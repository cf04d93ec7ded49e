#include "frame/namestable.h"

#include "frame/localtext.h"
#include "orb/profile/profilefile.h"

void CNamesTable::Load(const ProfileFile &profile)
{
    m_names.clear();
    const int count = profile.readInt("NAMES", "namesCount", 0);
    for (int i = 0; i < count; ++i) {
        const std::string key = "name" + std::to_string(i);
        Insert(fromLocal(profile.readString("NAMES", key, "")), fromLocal(profile.readString("NAMES", key + ".en", "")));
    }
}

void CNamesTable::Insert(const QString &name, const QString &counterpart)
{
    m_names.insert(name, counterpart);
    m_names.insert(counterpart, name);
}

QString CNamesTable::Translate(const QString &text) const
{
    const QString counterpart = m_names.value(text);
    return counterpart.isEmpty() ? text : counterpart;
}
