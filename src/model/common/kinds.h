#pragma once
// Kind enumerations. Their numbers are stored, compared and used as table indexes.
#include <cstdint>
#include <string_view>

namespace velmora {

enum class HwComponentType : uint8_t {
    Reg = 0,
    StateReg = 1,
    CondWaitStateReg = 2,
    CycleWaitStateReg = 3,
    CntReg = 4,
    SyncReg = 5,
    Wire = 6,
    Nest = 7,
    Val = 8,
    MemBlockIndexer = 9,
    Expression = 10,
    IoWire = 11,
    MemBlock = 12,
};
constexpr int kHwComponentTypeCount = 13;

enum class SensitiveType : uint8_t { Clocked = 0, Combinational = 1, ReadOnly = 2 };

enum class FlowBlockType : uint8_t {
    Sequential = 0,
    Parallel = 1,
    CondIf = 2,
    CondElif = 3,
    ZeroCondIf = 4,
    ZeroCondElif = 5,
    ZeroSwitch = 6,
    ZeroSwitchCase = 7,
    WhileLoop = 8,
    DoWhile = 9,
    CounterLoop = 10,
    Wait = 11,
    Pipeline = 12,
    Zync = 13,
    Pick = 14,
    PickIf = 15,
};
constexpr int kFlowBlockTypeCount = 16;

enum class FlowBlockJoinPolicy : uint8_t { SubFlow = 0, ConFlow = 1, BasicNodeFlow = 2 };

enum class NodeType : uint8_t {
    Asm = 0,
    State = 1,
    Syn = 2,
    Pseudo = 3,
    Opr = 4,
    WaitCond = 5,
    WaitCycle = 6,
    Counter = 7,
    Start = 8,
};

enum class UeType : uint8_t { Basic = 0, Grp = 1, Cond = 2, Switch = 3, Untype = 4 };

enum class CcpType : uint8_t { Arb = 0, Karray = 1, DynCounter = 2 };

enum class ModuleInitStage : uint8_t { CompInit = 0, FlowBlockInit = 1, FlowBlockBuild = 2 };

enum class ClockMode : uint8_t { PosEdge = 0, NegEdge = 1, ClkFree = 2, ClkUnused = 3 };

/// Text forms used by the name builder and the Python getters ("REG", "SR_ST", ...).
std::string_view text_form(HwComponentType t);
/// Enumerator names ("Reg", "StateReg", ...), used in messages.
std::string_view member_name(HwComponentType t);
/// Python-side member names of HwComponentType ("REG", ...): same as the text form except none.
std::string_view text_form(SensitiveType t);
std::string_view text_form(FlowBlockType t);
std::string_view member_name(FlowBlockType t);
std::string_view text_form(NodeType t);
std::string_view text_form(UeType t);
std::string_view text_form(CcpType t);
std::string_view member_name(ModuleInitStage s);
std::string_view member_name(ClockMode m);

/// Sensitive type given to a component of each kind at creation.
SensitiveType sensitive_type_of(HwComponentType t);

}  // namespace velmora
