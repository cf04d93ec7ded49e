#include "services/types/cellobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_CELLOBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordLayout typeLayout{"Orb.CellObj", "CellObj", fieldTable};

} // namespace

CellObj::~CellObj() = default;

const RecordLayout &CellObj::recordLayout()
{
    return typeLayout;
}
