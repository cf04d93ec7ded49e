#pragma once

#include <memory>

#include "orb/wire/keelexport.h"

class MtxObj;

// Turns wire type names ("Orb.MtxString") into new wire objects at their
// construction values. Service objects are factories; so is the framework
// table used where no service is attached.
class KEEL_EXPORT MtxFactory
{
public:
    virtual ~MtxFactory();
    // A new object for typeName; an unknown name gives a plain MtxObj.
    virtual std::unique_ptr<MtxObj> createObject(const char *typeName) = 0;
};

// The framework table: the five scalar framework types, else a plain MtxObj.
KEEL_EXPORT MtxFactory &frameworkFactory();
