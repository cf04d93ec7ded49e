#pragma once

#include <span>

#include "services/types/recordfields.h"

// The fields shared by AlertRuleTypeParameterObj and AlertSendTypeParameterObj:
// one named parameter of a rule's kind or of its send type.
#define KEEL_ALERTTYPEPARAMETER_FIELDS(F) \
    F(RuleID, 37) F(ParaName, 64) F(ParaValue, 1024) F(ControlID, 37)

namespace Internal {
std::span<const RecordField> alertTypeParameterFields();
} // namespace Internal
