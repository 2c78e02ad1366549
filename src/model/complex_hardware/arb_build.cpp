// The arbiter's hardware: the master request as the OR of every request, and for each leaf that
// is not Ack-locked a grant that holds when it requests, the master ack (if any) is high, no leaf
// of strictly higher priority requests, and the same-priority policy lets it through.
#include "model/complex_hardware/arb.h"
#include "model/model_store.h"
#include "model/nodes/ncp_node.h"

namespace velmora {
namespace {

/// OR of the requests of the leaves `pick` selects, in index order ("node_logic_expr" chain).
template <class Pick>
OptHcpIdent or_of_requests(ModelArena& arena, const std::vector<ArbLeaf>& leaves, Pick&& pick) {
    OptHcpIdent chain;
    for (size_t j = 0; j < leaves.size(); ++j) {
        if (pick(j))
            chain = combine_optional_conds(arena, chain, leaves[j].req, LogicOp::BitwiseOr);
    }
    return chain;
}

/// ack AND NOT(blockers), through "{inv_name}" and "{and_name}"; ack unchanged without blockers.
HcpIdent unless(ModelArena& arena, const HcpIdent& ack, const OptHcpIdent& blockers,
                std::string_view inv_name, std::string_view and_name) {
    if (!blockers) return ack;
    HcpIdent inv = arena.make_expression_single(false, inv_name, LogicOp::BitwiseInvr, *blockers,
                                                std::nullopt);
    return arena.make_expression(false, and_name, LogicOp::BitwiseAnd, ack, inv, std::nullopt,
                                 std::nullopt);
}

bool same_pri_blocks(ArbSamePriPolicy policy, size_t i, size_t j) {
    switch (policy) {
        case ArbSamePriPolicy::AckOne:
            return j < i;
        case ArbSamePriPolicy::AckAll:
            return false;
        case ArbSamePriPolicy::NotAck:
            return j != i;
    }
    return false;
}

}  // namespace

void drive_arb_signal(ModelArena& arena, const HcpIdent& wire, const HcpIdent& src) {
    arena.with_hcp(wire, [&](HcpBase& w) {
        w.bind_src(arena, src, Slice{0, 1}, 0, 1, DEFAULT_UE_PRI_INTERNAL_MIN, ClockMode::ClkFree,
                   std::nullopt);
    });
}

void Arb::build(ModelArena& arena) {
    if (leaves.empty()) return;
    drive_arb_signal(arena, mreq, *or_of_requests(arena, leaves, [](size_t) { return true; }));

    for (size_t i = 0; i < leaves.size(); ++i) {
        const ArbLeaf& leaf = leaves[i];
        if (leaf.locked == static_cast<int32_t>(ArbLockedChannel::Ack)) continue;
        HcpIdent ack = leaf.req;
        if (master_ack) {
            ack = arena.make_expression(false, "arb_ack_mack", LogicOp::BitwiseAnd, ack,
                                        *master_ack, std::nullopt, std::nullopt);
        }
        auto higher = or_of_requests(arena, leaves,
                                     [&](size_t j) { return leaves[j].priority > leaf.priority; });
        ack = unless(arena, ack, higher, "arb_hi_inv", "arb_ack_hi");
        auto same = or_of_requests(arena, leaves, [&](size_t j) {
            return leaves[j].priority == leaf.priority && same_pri_blocks(same_pri_policy, i, j);
        });
        ack = unless(arena, ack, same, "arb_same_inv", "arb_ack_same");
        drive_arb_signal(arena, leaf.ack, ack);
    }
}

}  // namespace velmora
