#pragma once
// How a zync block contends on an arbiter: asked for when the block is made, kept once its leaf
// exists.
#include <cstdint>
#include <optional>
#include <vector>

#include "model/common/ident.h"
#include "model/validate.h"

namespace velmora {

/// The priority of the leaf a pipeline or a zync bind takes when none is given.
inline constexpr int32_t kDefaultLeafPriority = 10;

/// One arbiter a zync block is to contend on, as the caller gives it.
struct ZyncBindRequest {
    CcpIdent arb;
    int32_t priority = kDefaultLeafPriority;
    bool auto_ack = false;  // an Ack-locked leaf: always granted, no grant logic
    OptHcpIdent cond;       // one bit; the bind requests only while it holds
};

/// One arbiter a zync block contends on: the leaf it owns there.
struct ZyncArbBind {
    OptHcpIdent cond;
    CcpIdent arb;
    uint64_t leaf = 0;
};

/// Every bind contends on an arbiter of its own: a second leaf on one arbiter would let the
/// arbiter grant the zync twice (or, with NotAck, block it against itself).
Problem check_zync_arbs_distinct(const std::vector<ZyncBindRequest>& binds);

}  // namespace velmora
