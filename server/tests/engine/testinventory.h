#pragma once

#include <string>
#include <vector>

#include "services/types/monitorobj.h"

class Storage;

// Inventory for the engine tests and benchmark.

// A TCP-connect monitor of 127.0.0.1:port: error when closed, warning when
// slow, normal when open.
MonitorObj portMonitor(const std::string &id, const std::string &device, int port);

// Monitors "m0", "m1", ... in groups "g0", ... of 10 devices "d0", ... of 100
// monitors each, written in one transaction; monitor i checks a port of open
// when i is even, of closed when odd.
void fillPortMonitors(Storage &storage, int monitors, const std::vector<int> &open, const std::vector<int> &closed);

// A short-message rule watching element: sendType "0" (every time from the
// counts-th result on), "1" (once, at the counts-th) or "2"; its level is
// error. Written in one transaction, which ends before this returns.
void addShortMessageRule(Storage &storage, const std::string &id, const std::string &element, const char *sendType,
                         const char *counts);
