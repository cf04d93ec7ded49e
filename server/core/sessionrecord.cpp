#include "server/core/sessionrecord.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_SESSIONRECORD_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordLayout typeLayout{"keelserver.Session", "Session", fieldTable};

} // namespace

SessionRecord::~SessionRecord() = default;

const RecordLayout &SessionRecord::recordLayout()
{
    return typeLayout;
}
