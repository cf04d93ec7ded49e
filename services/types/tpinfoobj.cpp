#include "services/types/tpinfoobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_TPINFOOBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordLayout typeLayout{"Orb.TPInfoObj", "TPInfoObj", fieldTable};

} // namespace

TPInfoObj::~TPInfoObj() = default;

const RecordLayout &TPInfoObj::recordLayout()
{
    return typeLayout;
}
