#pragma once
// How a control register turns one row of its next-state table into an update event.
//
// The condition of a row is the AND of its listed signals, absent ones dropped, in listed order:
//   none  -> unconditional event;
//   one   -> that signal as the event's condition;
//   two   -> both handed to make_ue_full, which ANDs them as "cond_dis_expr";
//   more  -> all but the last are folded left into BitwiseAnd expressions "cond_and_expr" first,
//            then the fold and the last signal go to make_ue_full as above.
// One scheme for every register keeps the generated condition trees predictable in tests and in
// the emitted Verilog.
#include <optional>
#include <vector>

#include "model/common/hcp_ref.h"
#include "model/common/ident.h"
#include "model/hw_component/slice.h"

namespace velmora {

class ModelArena;
class ControlRegBase;

using CondList = std::vector<OptHcpRef>;

/// One event of a control register, not yet pooled; never reads the destination from the arena.
UpdateEventIdent make_ctrl_event(ModelArena& arena, const CondList& conds, const HcpIdent& src,
                                 Slice des_slice, Slice src_slice, int32_t priority,
                                 ClockMode clk_mode, OptHcpIdent clk_src);

/// A PosEdge event on the register's clk_sig_i, appended to the register's own pool.
UpdateEventIdent push_clocked_event(ModelArena& arena, ControlRegBase& reg, int32_t priority,
                                    const CondList& conds, const HcpIdent& src, Slice des_slice,
                                    Slice src_slice);

/// A support signal that build_update_event relies on.
const HcpIdent& need_support(const OptHcpIdent& sig);
const HcpIdent& need_support(const ModelArena& arena, const OptHcpRef& sig);

}  // namespace velmora
