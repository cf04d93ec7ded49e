#include "orb/wire/wireobject_p.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <typeinfo>

#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxfactory.h"
#include "orb/wire/mtxobjid.h"
#include "orb/wire/mtxrecord.h"
#include "orb/wire/mtxstatus.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "orb/wire/mtxusersecurity.h"
#include "orb/wire/mtxusersession.h"
#include "orb/wire/strictreading.h"
#include "orb/wire/xmltext.h"

namespace orb::Internal {
namespace {

thread_local int nestingDepth = 0;

// Copies object as T when that is exactly its type.
template <class T>
std::unique_ptr<MtxObj> copyIfExactly(const MtxObj &object)
{
    if (typeid(object) != typeid(T))
        return nullptr;
    return std::make_unique<T>(static_cast<const T &>(object));
}

} // namespace

pugi::xml_node firstChildElement(const pugi::xml_node &node)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (isElement(child))
            return child;
    return {};
}

std::string_view textOf(const pugi::xml_node &node, std::string &scratch)
{
    if (!node.first_child())
        return ownText(node);
    scratch = orb::nodeText(node);
    return scratch;
}

void noteCut(const pugi::xml_node &element, std::size_t capacity)
{
    if (StrictReading *strict = StrictReading::current())
        strict->note({TextFault::Kind::TooLong, element.name(), capacity});
}

std::int32_t readInt(const char *text)
{
    if (!text)
        return 0;
    errno = 0;
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

NestingGuard::NestingGuard()
{
    ++nestingDepth;
}

NestingGuard::~NestingGuard()
{
    --nestingDepth;
}

bool NestingGuard::allowed() const
{
    return nestingDepth <= MaxDepth;
}

bool NestingGuard::allowsNested() const
{
    return nestingDepth < MaxDepth;
}

std::unique_ptr<MtxObj> createItem(MtxFactory *factory, const char *typeName)
{
    std::unique_ptr<MtxObj> item = (factory ? *factory : frameworkFactory()).createObject(typeName);
    // A factory that knows nothing (a bare service object) leaves the
    // framework types to the framework, as if there were no factory.
    if (!item && factory)
        item = frameworkFactory().createObject(typeName);
    if (!item)
        item = std::make_unique<MtxObj>();
    if (!item->getFactory())
        item->setFactory(factory);
    return item;
}

bool readItems(const pugi::xml_node &node, MtxFactory *factory,
               std::vector<std::unique_ptr<MtxObj>> &items)
{
    NestingGuard guard;
    if (!guard.allowed())
        return false;
    items.clear();
    forEachChildElement(node, [&](const pugi::xml_node &child) {
        std::unique_ptr<MtxObj> item = createItem(factory, typeNameOf(child));
        item->fromXML(child);
        items.push_back(std::move(item));
    });
    return true;
}

std::unique_ptr<MtxObj> copyObject(const MtxObj &object)
{
    if (auto *record = dynamic_cast<const MtxRecord *>(&object)) {
        std::unique_ptr<MtxObj> copy = record->newInstance();
        if (auto *target = dynamic_cast<MtxRecord *>(copy.get())) {
            *target = *record;
            return copy;
        }
        return std::make_unique<MtxRecord>(*record);
    }
    using Copier = std::unique_ptr<MtxObj> (*)(const MtxObj &);
    static constexpr Copier copiers[] = {
        copyIfExactly<MtxArray>,        copyIfExactly<MtxTree>,        copyIfExactly<MtxString>,
        copyIfExactly<MtxObjID>,        copyIfExactly<MtxStatus>,      copyIfExactly<MtxUserSession>,
        copyIfExactly<MtxUserSecurity>, copyIfExactly<MtxObj>,
    };
    for (Copier copier : copiers)
        if (std::unique_ptr<MtxObj> copy = copier(object))
            return copy;
    return object.clone();
}

} // namespace orb::Internal
