#include "services/types/systypeobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_SYSTYPEOBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordLayout typeLayout{"com.Velmora.sys.SysTypeObj", "SysTypeObj", fieldTable, {},
                                  RecordLayout::Clone::BaseOnly, RecordLayout::Reply::Nothing};

} // namespace

SysTypeObj::~SysTypeObj() = default;

const RecordLayout &SysTypeObj::recordLayout()
{
    return typeLayout;
}
