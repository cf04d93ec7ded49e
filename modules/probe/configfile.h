#pragma once

#include <QString>

#include <pugixml.hpp>

// The catalogues under the install root ("config/MonitorLibrary.config",
// "config/Entity.xml", ...) are GBK text. They are read whole, converted to
// UTF-8 and parsed as XML fragments, so their names and labels are handled as
// characters: in GBK, "[", "]" and "\" occur as trail bytes of Chinese
// characters and a byte search would cut them.
namespace ConfigFile {

// The path of relative (backslashes allowed) below the install root.
QString PathOf(const QString &relative);
// Parses the file into document; false (document empty) when it is missing
// or not well-formed.
bool Load(const QString &path, pugi::xml_document &document);
// An attribute's value as Qt text.
inline QString Attribute(const pugi::xml_node &node, const char *name)
{
    return QString::fromUtf8(node.attribute(name).value());
}

} // namespace ConfigFile
