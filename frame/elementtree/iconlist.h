#pragma once

#include <memory>
#include <vector>

#include <QIcon>
#include <QString>

#include "orb/wire/keelexport.h"

// The 16 x 16 images of a tree, listed in an icon file such as "MTree.ini" or
// "EntityTree.ini": section "TREEICO", "TypeCount" images named by the keys
// "Type1.image", "Type2.image", ... (image N-1 is named by key N). A name
// shorter than 4 characters stands for "ico\Server.bmp". Names are relative
// to the icon file's folder. The colour 0xFAFAFA is transparent.
//
// Every slot is kept: an image that cannot be read becomes a plain
// placeholder, so it never shifts the images of later kinds. A missing icon
// file gives an empty list.
class KEEL_EXPORT CIconList
{
public:
    static constexpr int IconSize = 16;
    static constexpr unsigned MaskColour = 0xFAFAFA;
    // Refuses absurd counts from a damaged file.
    static constexpr int MaxCount = 4096;

    // Reads the list. Lists are cached by file path, so every tree of every
    // module that shows the same file shares one list.
    static std::shared_ptr<const CIconList> Load(const QString &iniPath);
    // Forgets the cache (tests that rewrite a file).
    static void ClearCache();

    CIconList() = default;
    explicit CIconList(const QString &iniPath);

    int Count() const { return int(m_icons.size()); }
    // The image at index, or a null icon when index is outside the list.
    QIcon Icon(int index) const;
    // Indexes whose file could not be read (their placeholder is shown).
    const std::vector<int> &Failed() const { return m_failed; }

private:
    std::vector<QIcon> m_icons;
    std::vector<int> m_failed;
};
