#pragma once
// The flow block kinds built so far: X(FlowBlockType member, stored type). Storage groups and
// every dispatch on FlowBlockType are generated from this list; a new block kind is its own files
// plus one entry (with its include) here.
#include "model/flow_block/cond.h"
#include "model/flow_block/cond_elif.h"
#include "model/flow_block/counter_loop.h"
#include "model/flow_block/do_while.h"
#include "model/flow_block/par.h"
#include "model/flow_block/pick.h"
#include "model/flow_block/pick_if.h"
#include "model/flow_block/pipeline.h"
#include "model/flow_block/seq.h"
#include "model/flow_block/wait.h"
#include "model/flow_block/while_loop.h"
#include "model/flow_block/zero_cond_elif.h"
#include "model/flow_block/zero_cond_if.h"
#include "model/flow_block/zero_switch.h"
#include "model/flow_block/zero_switch_case.h"
#include "model/flow_block/zync.h"

#define VELMORA_BLOCK_KINDS(X)                 \
    X(Sequential, FlowBlockSeq)                \
    X(Parallel, FlowBlockPar)                  \
    X(CondIf, FlowBlockCond)                   \
    X(CondElif, FlowBlockCondElif)             \
    X(ZeroCondIf, FlowBlockZeroCondIf)         \
    X(ZeroCondElif, FlowBlockZeroCondElif)     \
    X(ZeroSwitch, FlowBlockZeroSwitch)         \
    X(ZeroSwitchCase, FlowBlockZeroSwitchCase) \
    X(Pick, FlowBlockPick)                     \
    X(PickIf, FlowBlockPickIf)                 \
    X(WhileLoop, FlowBlockWhile)               \
    X(DoWhile, FlowBlockDoWhile)               \
    X(CounterLoop, FlowBlockCounterLoop)       \
    X(Wait, FlowBlockWait)                     \
    X(Pipeline, FlowBlockPip)                  \
    X(Zync, FlowBlockZync)
