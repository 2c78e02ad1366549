#pragma once
// The component kinds that have storage: X(HwComponentType member, stored type). Storage groups
// and every dispatch on HwComponentType are generated from this one list; a new kind is its own
// files plus one entry (with its include) here. Nest has no storage.
#include "model/hw_component/expression.h"
#include "model/hw_component/signals.h"
#include "model/hw_component/sp_reg/control_regs.h"

#define VELMORA_HCP_KINDS(X)                \
    X(Reg, Reg)                             \
    X(StateReg, StateReg)                   \
    X(CondWaitStateReg, CondWaitStateReg)   \
    X(CycleWaitStateReg, CycleWaitStateReg) \
    X(CntReg, CntReg)                       \
    X(SyncReg, SyncReg)                     \
    X(Wire, Wire)                           \
    X(Val, Val)                             \
    X(MemBlockIndexer, MemEle)              \
    X(Expression, Expression)               \
    X(IoWire, IoWire)                       \
    X(MemBlock, MemBlk)
