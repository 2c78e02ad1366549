#include "model/flow_block/cond_chain.h"

#include "model/model_arena.h"
#include "model/nodes/ncp_node.h"
#include "util/str_cat.h"

namespace velmora {

CondChain CondChain::new_inv(std::string_view prefix, uint64_t id, const HcpIdent& c) {
    CondChain chain;
    chain.prefix_ = std::string(prefix);
    chain.id_ = id;
    chain.pending_ = PendingInv{c, cat(prefix, "_not_cond_", id)};
    return chain;
}

void CondChain::materialize(ModelArena& arena) {
    if (!pending_) return;
    HcpIdent inv = arena.make_expression_single(false, pending_->name, LogicOp::BitwiseInvr,
                                                pending_->cond, std::nullopt);
    pending_.reset();
    chain_ = combine_optional_conds(arena, chain_, inv, LogicOp::BitwiseAnd);
}

OptHcpIdent CondChain::step(ModelArena& arena, size_t k, const OptHcpIdent& c_k) {
    materialize(arena);
    if (!c_k) {
        OptHcpIdent taken = chain_;
        chain_.reset();
        return taken;
    }
    OptHcpIdent branch = combine_optional_conds(arena, chain_, c_k, LogicOp::BitwiseAnd);
    pending_ = PendingInv{*c_k, cat(prefix_, "_not_elif_", id_, "_", k)};
    return branch;
}

OptHcpIdent CondChain::current(ModelArena& arena) {
    materialize(arena);
    return chain_;
}

}  // namespace velmora
