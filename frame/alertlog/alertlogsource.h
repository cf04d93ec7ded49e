#pragma once

#include "orb/wire/keelexport.h"

class MtxArray;

// Where an alert log comes from and how it is cleared: the monitoring module
// reads the log of a monitor, the alerting module the log of a rule.
class KEEL_EXPORT CAlertLogSource
{
public:
    virtual ~CAlertLogSource();

    // Fills entries with the log; false when that failed (the reason has been
    // shown to the user).
    virtual bool Fetch(MtxArray &entries) = 0;
    // Deletes the log; false when that failed (the reason has been shown).
    virtual bool Clear() = 0;
};
