#pragma once

#include <QString>

class ElementObj;

// The text summary of a monitor element shown below the tiles: ID, parent,
// kind, name, last check, last state and result, one per line ("\r\n"
// between lines).
namespace MonitorSummary {

QString Text(const ElementObj &monitor);

} // namespace MonitorSummary
