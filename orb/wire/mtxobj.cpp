#include "orb/wire/mtxobj.h"

#include "orb/wire/memqueue.h"
#include "orb/wire/mtxfactory.h"
#include "orb/wire/wireobject_p.h"
#include "orb/wire/xmltext.h"

MtxObj::MtxObj() = default;

// A copy is a new object: it never inherits the storage of its source.
MtxObj::MtxObj(const MtxObj &other)
    : m_name(other.m_name), m_factory(other.m_factory), m_pool(other.m_pool)
{
}

MtxObj &MtxObj::operator=(const MtxObj &other)
{
    m_name = other.m_name;
    m_factory = other.m_factory;
    m_pool = other.m_pool;
    return *this;
}

MtxObj::~MtxObj() = default;

const char *MtxObj::getName() const
{
    return m_name.c_str();
}

int MtxObj::setName(const char *text)
{
    return m_name.assign(text ? text : "") ? 1 : -1;
}

MemQueue *MtxObj::getPool() const
{
    return m_pool;
}

void MtxObj::setPool(MemQueue *pool)
{
    m_pool = pool;
}

std::unique_ptr<MtxObj> MtxObj::clone() const
{
    return allocateCopy(static_cast<const MtxObj &>(*this));
}

std::unique_ptr<MtxObj> MtxObj::createObject(const char *typeName) const
{
    if (!m_factory)
        return nullptr;
    return m_factory->createObject(typeName ? typeName : "");
}

const char *MtxObj::getTypeName() const
{
    return m_name.c_str();
}

const char *MtxObj::getElementName() const
{
    return m_name.c_str();
}

int MtxObj::toXML(std::string &, const char *, int, int) const
{
    return 1;
}

bool MtxObj::fromXML(const pugi::xml_node &node)
{
    std::string scratch;
    orb::Internal::readText(m_name, node, scratch);
    return true;
}

bool MtxObj::fromReply(const pugi::xml_node &)
{
    return true;
}

std::unique_ptr<MtxObj> MtxObj::newInstance() const
{
    return std::make_unique<MtxObj>();
}

// Runs the destructor of the most derived type, then gives the storage back
// to where it came from: a queue page to its queue, anything else to the heap.
void MtxObj::operator delete(MtxObj *object, std::destroying_delete_t)
{
    MemQueue *queue = object->m_pageQueue;
    object->~MtxObj();
    if (queue) {
        // A refused page stays part of the queue's storage and is freed with it.
        queue->put(object);
        return;
    }
    ::operator delete(object);
}

// An empty element name means the object's own, for the open and the close
// tag alike, so the element is always well-formed.
static const char *tagName(const MtxObj &object, const char *elementName)
{
    return elementName && *elementName ? elementName : object.getElementName();
}

void MtxObj::writeOpenTag(std::string &out, const char *elementName, int withType,
                          std::string_view attributes) const
{
    out += '<';
    out.append(tagName(*this, elementName));
    if (!attributes.empty()) {
        out += ' ';
        out.append(attributes);
    }
    if (withType) {
        out.append(" xsi-type=\"");
        orb::appendEscapedAttribute(out, getTypeName());
        out += '"';
    }
    out += '>';
}

void MtxObj::writeCloseTag(std::string &out, const char *elementName) const
{
    out.append("</");
    out.append(tagName(*this, elementName));
    out += '>';
}

void *MtxObj::takePage(MemQueue *pool, std::size_t size)
{
    return pool->get(static_cast<int>(size));
}
