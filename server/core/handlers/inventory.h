#pragma once

#include <memory>
#include <string>
#include <vector>

class Storage;
class ElementObj;
class MonitorObj;

// The inventory tree kept in the elements table: groups, devices and, for
// every monitor, a mirror element that puts the monitor into the tree and
// carries its last result.
namespace inventory {

// Element Type codes the server itself relies on; devices carry the entity
// type code chosen on the client (see server/demo-catalogue.md).
inline constexpr const char *RootType = "0";
inline constexpr const char *GroupType = "1";
inline constexpr const char *MonitorType = "5";
inline constexpr const char *RootParent = "-1";

// LastState values: normal, warning, error.
inline constexpr int Normal = 0;
inline constexpr int Warning = 1;
inline constexpr int Error = 2;

// Deepest allowed nesting below the root.
inline constexpr int MaxDepth = 32;

std::unique_ptr<ElementObj> root(Storage &storage);
std::unique_ptr<ElementObj> element(Storage &storage, const std::string &id);
bool isMonitor(const ElementObj &element);

// Levels between id and the root (the root is 0); -1 when id leads nowhere.
int depth(Storage &storage, const std::string &id);
// True when candidate is id itself or lies below it.
bool isWithin(Storage &storage, const std::string &candidate, const std::string &id);

// The identifiers of id and every element below it.
std::vector<std::string> subtree(Storage &storage, const std::string &id);
// Removes the elements, monitors and alert links of these identifiers.
void removeElements(Storage &storage, const std::vector<std::string> &ids);

// The mirror element of monitor below device, keeping the result fields of
// an earlier mirror when there is one.
ElementObj mirrorOf(const MonitorObj &monitor, const ElementObj &device, const ElementObj *earlier);

} // namespace inventory
