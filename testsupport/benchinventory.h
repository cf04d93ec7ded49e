#pragma once

#include <map>
#include <memory>
#include <string>

class Storage;

// A large inventory for benchmarks, written into a server's storage in one
// transaction below its root: groups "g0", "g1", ... each with devices
// "g0-d0", ... (Type "3", address and a "Community" parameter), each with
// monitors "g0-d0-m0", ... (Type "5"). Returns the number of elements added.
int FillBenchInventory(Storage &storage, int groups, int devicesPerGroup, int monitorsPerDevice);

// The id FillBenchInventory gives a group, a device of it (device >= 0) or a
// monitor of that device (monitor >= 0).
std::string BenchElementId(int group, int device = -1, int monitor = -1);

// One site of type T (a filled server and its client) per number of groups,
// made when first asked for and kept for the whole run.
template <class T>
T &BenchSiteOf(int groups)
{
    static std::map<int, std::unique_ptr<T>> sites;
    auto &site = sites[groups];
    if (!site)
        site = std::make_unique<T>(groups);
    return *site;
}

// Resident memory after handing freed memory back to the system, so that a
// figure is what is held, not passing buffers.
double ResidentMegabytes();
