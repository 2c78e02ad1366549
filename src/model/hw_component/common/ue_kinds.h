#pragma once
// The update event kinds: X(UeType member, stored type). Storage groups and every dispatch on
// UeType are generated from this list.
#include "model/hw_component/common/update_event.h"

#define VELMORA_UE_KINDS(X) \
    X(Basic, UeBasic)       \
    X(Grp, UeGrp)           \
    X(Cond, UeCond)         \
    X(Switch, UeSwitch)
