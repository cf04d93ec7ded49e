#include "services/types/alerttypeparameterfields.h"

namespace Internal {

std::span<const RecordField> alertTypeParameterFields()
{
    static constexpr RecordField fieldTable[] = {KEEL_ALERTTYPEPARAMETER_FIELDS(KEEL_RECORD_FIELD)};
    return fieldTable;
}

} // namespace Internal
