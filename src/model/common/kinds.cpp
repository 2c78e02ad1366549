#include "model/common/kinds.h"

namespace velmora {

std::string_view text_form(HwComponentType t) {
    static constexpr std::string_view k[] = {
        "REG",  "SR_ST", "SR_CDWT",           "SR_CYWT", "CNT_REG", "SR_SY",    "WIRE",
        "NEST", "VAL",   "MEM_BLOCK_INDEXER", "EXPR",    "IO_WIRE", "MEM_BLOCK"};
    return k[static_cast<int>(t)];
}

std::string_view member_name(HwComponentType t) {
    static constexpr std::string_view k[] = {
        "Reg",  "StateReg", "CondWaitStateReg", "CycleWaitStateReg", "CntReg", "SyncReg", "Wire",
        "Nest", "Val",      "MemBlockIndexer",  "Expression",        "IoWire", "MemBlock"};
    return k[static_cast<int>(t)];
}

std::string_view text_form(SensitiveType t) {
    static constexpr std::string_view k[] = {"clocked", "combinational", "read_only"};
    return k[static_cast<int>(t)];
}

std::string_view text_form(FlowBlockType t) {
    static constexpr std::string_view k[] = {
        "SEQUENTIAL",   "PARALLEL",       "COND_IF",      "COND_ELIF",
        "ZERO_COND_IF", "ZERO_COND_ELIF", "ZERO_SWITCH",  "ZERO_SWITCH_CASE",
        "WHILE_LOOP",   "DO_WHILE",       "COUNTER_LOOP", "WAIT",
        "PIPELINE",     "ZYNC",           "PICK",         "PICK_IF"};
    return k[static_cast<int>(t)];
}

std::string_view member_name(FlowBlockType t) {
    static constexpr std::string_view k[] = {
        "Sequential", "Parallel",       "CondIf",    "CondElif", "ZeroCondIf",  "ZeroCondElif",
        "ZeroSwitch", "ZeroSwitchCase", "WhileLoop", "DoWhile",  "CounterLoop", "Wait",
        "Pipeline",   "Zync",           "Pick",      "PickIf"};
    return k[static_cast<int>(t)];
}

std::string_view text_form(NodeType t) {
    static constexpr std::string_view k[] = {"ASM_NODE",       "STATE_NODE",   "SYN_NODE",
                                             "PSEUDO_NODE",    "OPR_NODE",     "WAITCOND_NODE",
                                             "WAITCYCLE_NODE", "COUNTER_NODE", "START_NODE"};
    return k[static_cast<int>(t)];
}

std::string_view text_form(UeType t) {
    static constexpr std::string_view k[] = {"UE_BASIC", "UE_GRP", "UE_COND", "UE_SWITCH",
                                             "UE_UNTYPE"};
    return k[static_cast<int>(t)];
}

std::string_view text_form(CcpType t) {
    static constexpr std::string_view k[] = {"ARB", "KARRAY", "DCNT"};
    return k[static_cast<int>(t)];
}

std::string_view member_name(ModuleInitStage s) {
    static constexpr std::string_view k[] = {"CompInit", "FlowBlockInit", "FlowBlockBuild"};
    return k[static_cast<int>(s)];
}

std::string_view member_name(ClockMode m) {
    static constexpr std::string_view k[] = {"PosEdge", "NegEdge", "ClkFree", "ClkUnused"};
    return k[static_cast<int>(m)];
}

SensitiveType sensitive_type_of(HwComponentType t) {
    switch (t) {
        case HwComponentType::Wire:
        case HwComponentType::IoWire:
            return SensitiveType::Combinational;
        case HwComponentType::Val:
        case HwComponentType::Expression:
            return SensitiveType::ReadOnly;
        default:
            return SensitiveType::Clocked;
    }
}

}  // namespace velmora
