#include "services/types/userobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_USEROBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordLayout typeLayout{"com.Velmora.Security.UserObj", "UserObj", fieldTable};

} // namespace

UserObj::~UserObj() = default;

const RecordLayout &UserObj::recordLayout()
{
    return typeLayout;
}
