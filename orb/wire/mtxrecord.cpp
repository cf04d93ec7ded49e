#include "orb/wire/mtxrecord.h"

#include <cstring>

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

std::unique_ptr<MtxObj> makeEmbedded(const RecordEmbedded &embedded)
{
    std::unique_ptr<MtxObj> object = embedded.make ? embedded.make() : nullptr;
    return object ? std::move(object) : std::make_unique<MtxObj>();
}

} // namespace

MtxRecord::MtxRecord(const RecordLayout &layout) : m_layout(&layout), m_values(layout.fields.size())
{
    m_embedded.reserve(layout.embedded.size());
    for (const RecordEmbedded &embedded : layout.embedded)
        m_embedded.push_back(makeEmbedded(embedded));
}

MtxRecord::MtxRecord(const MtxRecord &other)
    : MtxObj(other), m_layout(other.m_layout), m_values(other.m_values)
{
    m_embedded.reserve(other.m_embedded.size());
    for (const auto &embedded : other.m_embedded)
        m_embedded.push_back(copyObject(*embedded));
}

MtxRecord &MtxRecord::operator=(const MtxRecord &other)
{
    if (this == &other)
        return *this;
    std::vector<std::unique_ptr<MtxObj>> embedded;
    embedded.reserve(other.m_embedded.size());
    for (const auto &object : other.m_embedded)
        embedded.push_back(copyObject(*object));
    MtxObj::operator=(other);
    m_layout = other.m_layout;
    m_values = other.m_values;
    m_embedded = std::move(embedded);
    return *this;
}

MtxRecord::~MtxRecord() = default;

bool MtxRecord::set(int field, std::string_view text)
{
    if (field < 0 || std::size_t(field) >= m_values.size())
        return false;
    if (text.size() > holds(m_layout->fields[field]))
        return false;
    m_values[field].assign(text);
    return true;
}

void MtxRecord::setTruncated(int field, std::string_view text)
{
    if (field < 0 || std::size_t(field) >= m_values.size())
        return;
    const std::size_t limit = holds(m_layout->fields[field]);
    m_values[field].assign(text.substr(0, limit == std::string::npos ? text.size() : orb::fitLength(text, limit)));
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
            appendOperator(out, m_values[i]);
        else
            orb::appendEscaped(out, m_values[i]);
        out.append("</");
        out.append(field.element);
        out += '>';
    }
    for (const auto &embedded : m_embedded)
        embedded->toXML(out, embedded->getElementName(), 1);
    writeCloseTag(out, elementName);
    return 1;
}

// Text fields by exact name; the k-th child named like an embedded object
// goes to the k-th embedded object of that name. Unknown children are skipped.
bool MtxRecord::fromXML(const pugi::xml_node &node)
{
    if (!isElement(node))
        return true;
    std::vector<bool> taken; // embedded objects already read, made when first needed
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
        if (taken.empty())
            taken.assign(m_embedded.size(), false);
        for (std::size_t i = 0; i < m_embedded.size(); ++i) {
            if (!taken[i] && named(child, m_embedded[i]->getElementName())) {
                taken[i] = true;
                m_embedded[i]->setFactory(getFactory());
                m_embedded[i]->fromXML(child);
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
    if (std::strcmp(getTypeName(), other.getTypeName()) != 0 || m_values != other.m_values ||
        m_embedded.size() != other.m_embedded.size())
        return false;
    std::string mine;
    std::string theirs;
    for (std::size_t i = 0; i < m_embedded.size(); ++i) {
        mine.clear();
        theirs.clear();
        m_embedded[i]->toXML(mine, "e", 1);
        other.m_embedded[i]->toXML(theirs, "e", 1);
        if (mine != theirs)
            return false;
    }
    return true;
}

std::unique_ptr<MtxObj> MtxRecord::fullCopy() const
{
    return allocateCopy(*this);
}
