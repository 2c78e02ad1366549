#pragma once
// The flow block kinds built so far: X(FlowBlockType member, stored type). Storage groups and
// every dispatch on FlowBlockType are generated from this list; a new block kind is its own files
// plus one entry (with its include) here.
#include "model/flow_block/par.h"
#include "model/flow_block/seq.h"

#define VELMORA_BLOCK_KINDS(X)  \
    X(Sequential, FlowBlockSeq) \
    X(Parallel, FlowBlockPar)
