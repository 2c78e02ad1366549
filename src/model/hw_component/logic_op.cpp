#include "model/hw_component/logic_op.h"

namespace velmora {

std::string_view member_name(LogicOp op) {
    static constexpr std::string_view k[] = {
        "BitwiseAnd",  "BitwiseOr",  "BitwiseXor",  "BitwiseInvr", "BitwiseShl",  "BitwiseShr",
        "LogicalAnd",  "LogicalOr",  "LogicalNot",  "RelationEq",  "RelationNeq", "RelationLe",
        "RelationLeq", "RelationGe", "RelationGeq", "RelationSlt", "RelationSgt", "ArithPlus",
        "ArithMinus",  "ArithMul",   "ArithDiv",    "ArithDivr",   "ExtendBit",   "SliceBit",
        "Assign",      "Dummy"};
    return k[static_cast<int>(op)];
}

}  // namespace velmora
