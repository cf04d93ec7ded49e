#pragma once

#include <vector>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "orb/wire/fixedtext.h"

class MtxFactory;
class MtxObj;

// Helpers shared by the readers and copiers of the wire types.
namespace orb::Internal {

inline bool isElement(const pugi::xml_node &node)
{
    return node.type() == pugi::node_element;
}

// Whether the NUL-terminated text equals expected. Inline, since readers
// test every element's name and type against a few short ones.
inline bool sameText(const char *text, std::string_view expected)
{
    for (char c : expected)
        if (*text++ != c)
            return false;
    return *text == '\0';
}

inline bool named(const pugi::xml_node &node, std::string_view name)
{
    return sameText(node.name(), name);
}

// The element's "xsi-type" attribute, "" when it has none; writers put it
// first, so that is looked at before the others.
inline const char *typeNameOf(const pugi::xml_node &node)
{
    const pugi::xml_attribute first = node.first_attribute();
    if (first && sameText(first.name(), "xsi-type"))
        return first.value();
    return node.attribute("xsi-type").value();
}

// The text a node holds itself: a text or CDATA node's content, or the text
// an element starts with (the parser keeps an element's leading text in the
// element); nothing for other nodes.
inline std::string_view ownText(const pugi::xml_node &node)
{
    switch (node.type()) {
    case pugi::node_pcdata:
    case pugi::node_cdata:
    case pugi::node_element: return node.value();
    default: return {};
    }
}

// Calls visit(child) for every child element of node, in document order.
template <class Visit>
void forEachChildElement(const pugi::xml_node &node, Visit &&visit)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (isElement(child))
            visit(child);
}

pugi::xml_node firstChildElement(const pugi::xml_node &node);

// orb::nodeText without a copy in the usual case of one text child: the view
// then points into the document; otherwise into scratch.
std::string_view textOf(const pugi::xml_node &node, std::string &scratch);

// Tells a strict reading on this thread (if any) that the text of element
// was cut to the capacity bytes its field holds.
void noteCut(const pugi::xml_node &element, std::size_t capacity);

// Stores element's text in field, cut to what the field holds.
template <std::size_t N>
void readText(FixedText<N> &field, const pugi::xml_node &element, std::string &scratch)
{
    const std::string_view text = textOf(element, scratch);
    if (text.size() > field.capacity)
        noteCut(element, field.capacity);
    field.assignTruncated(text);
}

// A decimal attribute like atoi, without its undefined overflow: missing or
// non-numeric text reads as 0, out-of-range values are clamped.
std::int32_t readInt(const char *text);

// Bounds how deeply wire objects nest while they read themselves, so that no
// reply can exhaust the stack. Readers refuse to descend once !allowed().
class NestingGuard
{
public:
    static constexpr int MaxDepth = 256;
    NestingGuard();
    ~NestingGuard();
    NestingGuard(const NestingGuard &) = delete;
    NestingGuard &operator=(const NestingGuard &) = delete;
    bool allowed() const;
    // Whether one more level may be entered below this one.
    bool allowsNested() const;
};

// A new item for an element of type typeName, made by factory or, when there
// is none, by the framework table; never null. The item inherits factory so
// that what it holds is made by the same service.
std::unique_ptr<MtxObj> createItem(MtxFactory *factory, const char *typeName);

// Replaces items by one object per child element of node, made from its
// xsi-type (an element without one becomes a plain MtxObj) and read from it.
// False when the element lies deeper than the nesting limit.
bool readItems(const pugi::xml_node &node, MtxFactory *factory,
               std::vector<std::unique_ptr<MtxObj>> &items);

// A copy of object with all its content and its own type, also where clone()
// keeps only the base fields (framework scalars, base-clone records).
std::unique_ptr<MtxObj> copyObject(const MtxObj &object);

} // namespace orb::Internal
