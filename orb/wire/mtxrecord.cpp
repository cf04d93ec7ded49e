#include "orb/wire/mtxrecord.h"

#include <bit>
#include <cassert>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "orb/wire/wireobject_p.h"
#include "orb/wire/xmltext.h"

using namespace orb::Internal;

namespace {

struct OperatorText
{
    std::string_view stored;
    std::string_view written;
};

// The server expects the comparison operators exactly in this form. Stored
// values that are already entities go out as they stand, so the same
// operator always reaches the server as the same bytes.
constexpr OperatorText operatorTable[] = {
    {"==", "=="},     {"!=", "!="},     {">", "&gt;"},       {"<", "&lt;"},
    {">=", "&gt;="},  {"<=", "&lt;="},  {"contains", "contains"}, {"!contains", "!contains"},
    {"&gt;", "&gt;"}, {"&lt;", "&lt;"}, {"&gt;=", "&gt;="},  {"&lt;=", "&lt;="},
};

void appendOperator(std::string &out, std::string_view stored)
{
    for (const OperatorText &entry : operatorTable) {
        if (entry.stored == stored) {
            out.append(entry.written);
            return;
        }
    }
    orb::appendEscaped(out, stored);
}

std::size_t holds(const RecordField &field)
{
    return field.width == 0 ? std::string::npos : field.width - 1;
}

bool sameName(const char *a, const char *b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// indexOf for a NUL-terminated name, trying first the fields after the last
// one found: replies list the fields in table order.
int fieldIndex(std::span<const RecordField> fields, const char *name, std::size_t &next)
{
    const std::size_t count = fields.size();
    for (std::size_t i = next; i < count; ++i) {
        if (sameName(fields[i].element, name)) {
            next = i + 1;
            return static_cast<int>(i);
        }
    }
    for (std::size_t i = 0; i < next && i < count; ++i) {
        if (sameName(fields[i].element, name)) {
            next = i + 1;
            return static_cast<int>(i);
        }
    }
    return -1;
}

const std::string &emptyText()
{
    static const std::string empty;
    return empty;
}

std::uint64_t bitOf(int field)
{
    return std::uint64_t(1) << field;
}

std::unique_ptr<MtxObj> makeEmbedded(const RecordEmbedded &embedded)
{
    std::unique_ptr<MtxObj> object = embedded.make ? embedded.make() : nullptr;
    return object ? std::move(object) : std::make_unique<MtxObj>();
}

// An element with no content and no attribute but its type: any wire object
// reading it stays at its construction values.
bool isBlank(const pugi::xml_node &element)
{
    if (element.first_child() || *element.value() != '\0')
        return false;
    const pugi::xml_attribute first = element.first_attribute();
    return !first || (!first.next_attribute() && sameText(first.name(), "xsi-type"));
}

// How many children of node hold text for a field: the room a record reading
// node needs, so that it is made once instead of grown.
std::size_t filledFields(std::span<const RecordField> fields, const pugi::xml_node &node)
{
    std::size_t count = 0;
    std::size_t next = 0;
    forEachChildElement(node, [&](const pugi::xml_node &child) {
        if ((child.first_child() || *child.value() != '\0') && fieldIndex(fields, child.name(), next) >= 0)
            ++count;
    });
    return count;
}

// One object at its construction values per kind of embedded object, standing
// in for those a record has not made; never changed once made.
const MtxObj &prototypeOf(const RecordEmbedded &embedded)
{
    static std::mutex lock;
    static std::map<std::unique_ptr<MtxObj> (*)(), std::unique_ptr<MtxObj>> prototypes;
    std::lock_guard hold(lock);
    std::unique_ptr<MtxObj> &prototype = prototypes[embedded.make];
    if (!prototype)
        prototype = makeEmbedded(embedded);
    return *prototype;
}

} // namespace

MtxRecord::MtxRecord(const RecordLayout &layout) : m_layout(&layout), m_embedded(layout.embedded.size())
{
    assert(layout.fields.size() <= 64 && layout.embedded.size() <= 64 && "at most 64 fields and 64 objects");
}

MtxRecord::MtxRecord(const MtxRecord &other)
    : MtxObj(other), m_layout(other.m_layout), m_filled(other.m_filled), m_values(other.m_values)
{
    m_embedded.reserve(other.m_embedded.size());
    for (const auto &embedded : other.m_embedded)
        m_embedded.push_back(embedded ? copyObject(*embedded) : nullptr);
}

MtxRecord &MtxRecord::operator=(const MtxRecord &other)
{
    if (this == &other)
        return *this;
    std::vector<std::unique_ptr<MtxObj>> embedded;
    embedded.reserve(other.m_embedded.size());
    for (const auto &object : other.m_embedded)
        embedded.push_back(object ? copyObject(*object) : nullptr);
    MtxObj::operator=(other);
    m_layout = other.m_layout;
    m_filled = other.m_filled;
    m_values = other.m_values;
    m_embedded = std::move(embedded);
    return *this;
}

MtxRecord::~MtxRecord() = default;

MtxObj &MtxRecord::embedded(std::size_t index)
{
    if (!m_embedded[index])
        m_embedded[index] = makeEmbedded(m_layout->embedded[index]);
    return *m_embedded[index];
}

const MtxObj &MtxRecord::embedded(std::size_t index) const
{
    return m_embedded[index] ? *m_embedded[index] : prototypeOf(m_layout->embedded[index]);
}

const std::string &MtxRecord::get(int field) const
{
    if (field < 0 || std::size_t(field) >= fieldCount() || !(m_filled & bitOf(field)))
        return emptyText();
    return m_values[std::size_t(std::popcount(m_filled & (bitOf(field) - 1)))];
}

void MtxRecord::store(int field, std::string_view text)
{
    const std::size_t at = std::size_t(std::popcount(m_filled & (bitOf(field) - 1)));
    if (m_filled & bitOf(field)) {
        m_values[at].assign(text);
        return;
    }
    // text may lie in another field of this record: copy it before the
    // slots move. Room grows a few slots at a time, not by doubling.
    std::string value(text);
    if (m_values.size() == m_values.capacity())
        m_values.reserve(std::min(fieldCount(), m_values.size() < 8 ? 8 : m_values.size() + 4));
    m_values.insert(m_values.begin() + std::ptrdiff_t(at), std::move(value));
    m_filled |= bitOf(field);
}

void MtxRecord::erase(int field)
{
    if (!(m_filled & bitOf(field)))
        return;
    m_values.erase(m_values.begin() + std::popcount(m_filled & (bitOf(field) - 1)));
    m_filled &= ~bitOf(field);
}

bool MtxRecord::set(int field, std::string_view text)
{
    if (field < 0 || std::size_t(field) >= fieldCount())
        return false;
    if (text.size() > holds(m_layout->fields[field]))
        return false;
    if (text.empty())
        erase(field);
    else
        store(field, text);
    return true;
}

void MtxRecord::setTruncated(int field, std::string_view text)
{
    if (field < 0 || std::size_t(field) >= fieldCount())
        return;
    const std::size_t limit = holds(m_layout->fields[field]);
    if (text.size() > limit)
        text = text.substr(0, orb::fitLength(text, limit));
    if (text.empty())
        erase(field);
    else
        store(field, text);
}

int MtxRecord::indexOf(std::string_view element) const
{
    const auto &fields = m_layout->fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const char *name = fields[i].element;
        if (std::strncmp(name, element.data(), element.size()) == 0 && name[element.size()] == '\0')
            return static_cast<int>(i);
    }
    return -1;
}

std::unique_ptr<MtxObj> MtxRecord::clone() const
{
    return m_layout->clone == RecordLayout::Clone::Full ? fullCopy() : MtxObj::clone();
}

const char *MtxRecord::getTypeName() const
{
    return m_layout->typeName;
}

const char *MtxRecord::getElementName() const
{
    return m_layout->elementName;
}

int MtxRecord::toXML(std::string &out, const char *elementName, int withType, int) const
{
    writeOpenTag(out, elementName, withType);
    const auto &fields = m_layout->fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const RecordField &field = fields[i];
        if (field.flags & RecordField::ReadOnly)
            continue;
        out += '<';
        out.append(field.element);
        out += '>';
        if (field.flags & RecordField::ComparisonOperator)
            appendOperator(out, get(int(i)));
        else
            orb::appendEscaped(out, get(int(i)));
        out.append("</");
        out.append(field.element);
        out += '>';
    }
    for (std::size_t i = 0; i < embeddedCount(); ++i) {
        const MtxObj &object = std::as_const(*this).embedded(i);
        object.toXML(out, object.getElementName(), 1);
    }
    writeCloseTag(out, elementName);
    return 1;
}

// Text fields by exact name; the k-th child named like an embedded object
// goes to the k-th embedded object of that name. Unknown children are skipped.
bool MtxRecord::fromXML(const pugi::xml_node &node)
{
    if (!isElement(node))
        return true;
    m_values.reserve(m_values.size() + filledFields(m_layout->fields, node));
    std::uint64_t taken = 0; // bit i: embedded object i was read
    std::string scratch;
    std::size_t nextField = 0;
    forEachChildElement(node, [&](const pugi::xml_node &child) {
        if (const int field = fieldIndex(m_layout->fields, child.name(), nextField); field >= 0) {
            const std::string_view text = textOf(child, scratch);
            if (const std::size_t limit = holds(m_layout->fields[field]); text.size() > limit)
                noteCut(child, limit);
            setTruncated(field, text);
            return;
        }
        for (std::size_t i = 0; i < m_embedded.size(); ++i) {
            if (!(taken & bitOf(int(i))) && named(child, std::as_const(*this).embedded(i).getElementName())) {
                taken |= bitOf(int(i));
                if (!m_embedded[i] && isBlank(child))
                    return; // it reads as the fresh object that stands in for one never made
                embedded(i).setFactory(getFactory());
                embedded(i).fromXML(child);
                return;
            }
        }
    });
    return true;
}

bool MtxRecord::fromReply(const pugi::xml_node &responseNode)
{
    if (m_layout->reply == RecordLayout::Reply::Nothing)
        return true;
    if (pugi::xml_node first = firstChildElement(responseNode))
        return fromXML(first);
    return true;
}

std::unique_ptr<MtxObj> MtxRecord::newInstance() const
{
    return std::make_unique<MtxRecord>(*m_layout);
}

// Equal when the same record type carries the same wire content; embedded
// objects are compared by the text they write.
bool MtxRecord::operator==(const MtxRecord &other) const
{
    if (std::strcmp(getTypeName(), other.getTypeName()) != 0 || m_filled != other.m_filled
        || m_values != other.m_values || m_embedded.size() != other.m_embedded.size())
        return false;
    std::string mine;
    std::string theirs;
    for (std::size_t i = 0; i < m_embedded.size(); ++i) {
        mine.clear();
        theirs.clear();
        std::as_const(*this).embedded(i).toXML(mine, "e", 1);
        other.embedded(i).toXML(theirs, "e", 1);
        if (mine != theirs)
            return false;
    }
    return true;
}

std::unique_ptr<MtxObj> MtxRecord::fullCopy() const
{
    return allocateCopy(*this);
}
