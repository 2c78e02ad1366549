#pragma once
// The complex component kinds built so far: X(CcpType member, stored type). Storage groups and
// every dispatch on CcpType are generated from this list; a new complex component is its own
// files plus one entry (with its include) here.
#include "model/complex_hardware/arb.h"
#include "model/complex_hardware/dyn_counter.h"
#include "model/complex_hardware/karray.h"

#define VELMORA_CCP_KINDS(X) X(Arb, Arb) X(Karray, Karray) X(DynCounter, DynCounter)
