#pragma once

#include <memory>
#include <new>
#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "orb/wire/fixedtext.h"
#include "orb/wire/keelexport.h"

class MemQueue;
class MtxFactory;

// Base of every value that crosses the wire. A wire object appends its own XML
// element to a text and reads itself back from a DOM element; the element's
// xsi-type names the object's wire type.
//
// Objects are deleted with plain delete (or a unique_ptr): a copy whose storage
// came from a MemQueue page goes back to that queue instead of the heap.
class KEEL_EXPORT MtxObj
{
public:
    MtxObj();
    MtxObj(const MtxObj &other);
    MtxObj &operator=(const MtxObj &other);
    virtual ~MtxObj();

    virtual const char *getName() const;
    // Returns 1, or -1 (name unchanged) when text does not fit the 64-byte field.
    virtual int setName(const char *text);
    virtual MemQueue *getPool() const;
    virtual void setPool(MemQueue *pool);
    // A copy; the base version copies only name, factory and pool.
    virtual std::unique_ptr<MtxObj> clone() const;
    // Forwards to the factory; null when there is none.
    virtual std::unique_ptr<MtxObj> createObject(const char *typeName) const;
    virtual const char *getTypeName() const;
    virtual const char *getElementName() const;
    // Appends this object's element to out. An empty elementName closes the
    // tag with getElementName(). Returns 1.
    virtual int toXML(std::string &out, const char *elementName, int withType, int reserved = 0) const;
    virtual bool fromXML(const pugi::xml_node &node);
    // Reads this object from a reply's response element; the base reads nothing.
    virtual bool fromReply(const pugi::xml_node &responseNode);
    // A new object of the same wire type at its construction values.
    virtual std::unique_ptr<MtxObj> newInstance() const;

    MtxFactory *getFactory() const { return m_factory; }
    void setFactory(MtxFactory *factory) { m_factory = factory; }

    static void *operator new(std::size_t size) { return ::operator new(size); }
    static void *operator new(std::size_t size, void *place) noexcept { return place; }
    static void operator delete(MtxObj *object, std::destroying_delete_t);
    // Only for storage whose constructor threw; delete itself always takes
    // the destroying form above.
    static void operator delete(void *memory) noexcept { ::operator delete(memory); }
    static void operator delete(void *, void *) noexcept {}

protected:
    // A copy of source in a page of source's pool when it has one and the page
    // can be had, else on the heap.
    template <class T>
    static std::unique_ptr<MtxObj> allocateCopy(const T &source)
    {
        if (MemQueue *pool = source.getPool()) {
            if (void *page = takePage(pool, sizeof(T))) {
                T *copy = new (page) T(source);
                copy->m_pageQueue = pool;
                return std::unique_ptr<MtxObj>(copy);
            }
        }
        return std::unique_ptr<MtxObj>(new T(source));
    }

    // "<name[ attributes][ xsi-type="..."]>"
    void writeOpenTag(std::string &out, const char *elementName, int withType,
                      std::string_view attributes = {}) const;
    void writeCloseTag(std::string &out, const char *elementName) const;

private:
    static void *takePage(MemQueue *pool, std::size_t size);

    FixedText<64> m_name;
    MtxFactory *m_factory = nullptr;
    MemQueue *m_pool = nullptr;
    // The queue whose page holds this object, or null when it lives on the heap.
    MemQueue *m_pageQueue = nullptr;
};
