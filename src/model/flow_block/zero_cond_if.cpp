#include "model/flow_block/zero_cond_if.h"

#include "model/flow_block/cond_chain.h"
#include "model/flow_block/zero_cond_elif.h"
#include "model/hw_component/common/asm_meta_helper/if_pool.h"
#include "model/model_store.h"
#include "model/typed_access.h"
#include "util/str_cat.h"

namespace velmora {

FlowBlockZeroCondIf FlowBlockZeroCondIf::make(std::string_view name, const HcpIdent& cond) {
    FlowBlockZeroCondIf b;
    b.base = FlowBlockBase::make(FlowBlockType::ZeroCondIf, FlowBlockJoinPolicy::BasicNodeFlow,
                                 name, true);
    b.cond = cond;
    return b;
}

FlowBlockIdent ModelArena::make_flow_block_zif(std::string_view name, const HcpIdent& cond,
                                               OptSlice cond_slice) {
    return insert_block(
        FlowBlockZeroCondIf::make(name, resolve_cond_slice(name, cond, cond_slice)));
}

void FlowBlockZeroCondIf::add_con_flow_block(const ModelArena& arena, const FlowBlockIdent& block) {
    if (block.block_type != FlowBlockType::ZeroCondElif) {
        panic("zero-cond-if con blocks must be ZeroCondElif");
    }
    if (else_block) panic("zero-cond-if chain already ends with its zelse");
    bool is_else = read_block_as<FlowBlockZeroCondElif>(
        arena, block, [](const FlowBlockZeroCondElif& e) { return !e.cond.has_value(); });
    if (is_else) else_block = block;
    base.push_con_block(block);
}

std::optional<std::string> FlowBlockZeroCondIf::check_con_block(const ModelArena& arena,
                                                                const FlowBlock& con) const {
    if (con.get_ident().block_type != FlowBlockType::ZeroCondElif) {
        return refuse_child(
            *this, con,
            "zero-cond-if con blocks must be ZeroCondElif; a zif continues with zelif "
            "or zelse");
    }
    if (else_block) {
        std::string ends = arena.read_block(*else_block, block_label);
        return refuse_child(*this, con,
                            cat("the chain already ends with its else ", ends,
                                "; an else is the last branch of a chain"));
    }
    return std::nullopt;
}

std::optional<std::string> FlowBlockZeroCondIf::check_chain_close(const ModelArena& arena) const {
    if (has_content()) return std::nullopt;
    for (const FlowBlockIdent& con : base.con_blocks_i) {
        bool filled = read_block_as<FlowBlockZeroCondElif>(
            arena, con, [](const FlowBlockZeroCondElif& e) { return e.has_content(); });
        if (filled) return std::nullopt;
    }
    return cat(block_label(*this),
               " has no assignment in any of its branches: give a branch an assignment, or "
               "leave the chain out");
}

NcpIdent FlowBlockZeroCondIf::summarize_as_node() const {
    if (!result) panic("it has not generated yet");
    return *result;
}

void FlowBlockZeroCondIf::build_hw_component(ModelArena& arena) {
    const uint64_t id = base.ident.global_id();
    compute_unified_metas(arena);
    AssignMetaIfPool pool;
    pool.insert(cond, unified_metas, arena);
    CondChain chain = CondChain::new_inv("zcif", id, cond);
    for (size_t k = 0; k < base.con_blocks_i.size(); ++k) {
        const FlowBlockIdent& con = base.con_blocks_i[k];
        check_assert(con.block_type == FlowBlockType::ZeroCondElif,
                     "con.block_type == FlowBlockType::ZeroCondElif");
        with_block_as<FlowBlockZeroCondElif>(arena, con, [&](FlowBlockZeroCondElif& e) {
            pool.insert(chain.step(arena, k, e.cond), e.unified_metas, arena);
        });
    }
    result = arena.make_asm_node_many(cat("zcif_result_", id), pool.build_unified(arena));
    // Placed in a sequence, the node is guarded like a plain assignment: held with the block.
    arena.with_node(*result, [&](NcpNode& n) { n.fill_ext_node(base.triggers, false); });
}

}  // namespace velmora
