#pragma once
// The record a flow block carries for one assignment until it is placed in its destination's pool.
#include <optional>

#include "model/common/hcp_ref.h"
#include "model/common/ident.h"

namespace velmora {

class ModelArena;

struct AssignMeta {
    HcpRef des;  // read the identity with ModelArena::ident_of
    OptHcpRef pending_pre_cond;
    OptUeIdent first_ue;
    OptUeIdent cur_ue;
    bool flag = false;

    /// Wraps the current event in `cond` (after checking the clock invariant).
    void add_specific_pre_condition(const HcpIdent& cond, ModelArena& arena);
    /// Wraps the current event in the pending pre-condition, if any, and clears it.
    void apply_pending_pre_cond(ModelArena& arena);
};

}  // namespace velmora
