#pragma once
#include <cstdint>
#include <string_view>

namespace velmora {

enum class LogicOp : uint8_t {
    BitwiseAnd = 0,
    BitwiseOr,
    BitwiseXor,
    BitwiseInvr,
    BitwiseShl,
    BitwiseShr,
    LogicalAnd,
    LogicalOr,
    LogicalNot,
    RelationEq,
    RelationNeq,
    RelationLe,
    RelationLeq,
    RelationGe,
    RelationGeq,
    RelationSlt,
    RelationSgt,
    ArithPlus,
    ArithMinus,
    ArithMul,
    ArithDiv,
    ArithDivr,
    ExtendBit,
    SliceBit,
    Assign,
    Dummy,
};
constexpr int kLogicOpCount = 26;

std::string_view member_name(LogicOp op);

}  // namespace velmora
