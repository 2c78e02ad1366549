#pragma once
// The control node kinds: X(NodeType member, stored type). Storage groups and every dispatch on
// NodeType are generated from this list; a new node kind is its own files plus one entry (with
// its include) here.
#include "model/nodes/simple_nodes.h"
#include "model/nodes/state_nodes.h"

#define VELMORA_NODE_KINDS(X)   \
    X(Asm, AsmNode)             \
    X(State, StateNode)         \
    X(Syn, SynNode)             \
    X(Pseudo, PseudoNode)       \
    X(Opr, OprNode)             \
    X(WaitCond, WaitCondNode)   \
    X(WaitCycle, WaitCycleNode) \
    X(Counter, CounterNode)     \
    X(Start, StartNode)
