#include "services/types/syslogobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_SYSLOGOBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordLayout typeLayout{"com.Velmora.Security.SysLogObj", "SysLogObj", fieldTable};

} // namespace

SysLogObj::~SysLogObj() = default;

const RecordLayout &SysLogObj::recordLayout()
{
    return typeLayout;
}
