#include "services/types/expressionparamitemobj.h"

namespace {

constexpr RecordField fieldTable[] = {
    {"itemId", 16},
    {"paraName", 64},
    {"operator", 64, RecordField::ComparisonOperator},
    {"paraValue", 64},
};
static_assert(std::size(fieldTable) == ExpressionParamItemObj::paraValue + 1);
constexpr RecordLayout typeLayout{"Orb.ExpressionParamItemObj", "ExpressionParamItemObj",
                                  fieldTable};

} // namespace

ExpressionParamItemObj::~ExpressionParamItemObj() = default;

const RecordLayout &ExpressionParamItemObj::recordLayout()
{
    return typeLayout;
}
