#include "services/types/elementobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_ELEMENTOBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordEmbedded embeddedTable[] = {{&makeWireObject<MtxArray>}};
constexpr RecordLayout typeLayout{"Orb.ElementObj", "ElementObj", fieldTable, embeddedTable};

} // namespace

ElementObj::~ElementObj() = default;

const RecordLayout &ElementObj::recordLayout()
{
    return typeLayout;
}

MtxArray &ElementObj::params()
{
    return static_cast<MtxArray &>(embedded(0));
}

const MtxArray &ElementObj::params() const
{
    return static_cast<const MtxArray &>(embedded(0));
}
