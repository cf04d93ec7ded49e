#pragma once

class Storage;

// A large inventory for benchmarks, written into a server's storage in one
// transaction below its root: groups "g0", "g1", ... each with devices
// "g0-d0", ... (Type "3", address and a "Community" parameter), each with
// monitors "g0-d0-m0", ... (Type "5"). Returns the number of elements added.
int FillBenchInventory(Storage &storage, int groups, int devicesPerGroup, int monitorsPerDevice);
