// The flow procedure: opening and closing blocks on the flow block stack, with lazily closed
// if-chains, and attaching assignments to the innermost open scope.
#include "model/model_arena.h"
#include "util/str_cat.h"

namespace velmora {

FlowBlockIdent ModelArena::make_flow_block_seq(std::string_view name) {
    return insert_block(FlowBlockSeq::make(name));
}

FlowBlockIdent ModelArena::make_flow_block_par(std::string_view name, bool no_sync) {
    return insert_block(FlowBlockPar::make(name, no_sync));
}

void ModelArena::initialize_flow_block(const FlowBlockIdent& block) {
    if (block.join_policy != FlowBlockJoinPolicy::ConFlow && !flow_block_stack_.empty() &&
        flow_block_stack_.back().lazy_closed) {
        finalize_flow_block(flow_block_stack_.back().block, false);
    }
    flow_block_stack_.push_back(FlowStackEntry{block, false});
    opened_blocks_.insert(block.global_id());
}

std::optional<std::string> ModelArena::check_flow_block_prefinalize(const FlowBlockIdent& block) {
    return with_block(block, [](FlowBlock& b) { return b.check_prefinalize(); });
}

void ModelArena::finalize_flow_block(const FlowBlockIdent& block, bool recursive) {
    if (flow_block_stack_.empty()) panic("flow block stack is empty");
    if (!(flow_block_stack_.back().block == block)) {
        if (recursive) {
            panic("finalize_flow_block: recursive finalize must not mismatch the expected block");
        }
        finalize_flow_block(flow_block_stack_.back().block, true);
        if (flow_block_stack_.empty()) {
            panic("finalize_flow_block: ident mismatch — wrong block finalized");
        }
    }
    FlowStackEntry top = flow_block_stack_.back();
    flow_block_stack_.pop_back();
    if (!(top.block == block)) panic("finalize_flow_block: ident mismatch — wrong block finalized");

    if (block.chain_master && !top.lazy_closed) {
        // The chain stays open for its elif / else blocks.
        flow_block_stack_.push_back(FlowStackEntry{block, true});
        return;
    }
    if (!flow_block_stack_.empty()) {
        FlowBlockIdent parent = flow_block_stack_.back().block;
        with_block(parent, [&](FlowBlock& p) {
            if (block.join_policy == FlowBlockJoinPolicy::ConFlow) {
                p.add_con_flow_block(block);
            } else {
                p.add_sub_flow_block(block);
            }
        });
        return;
    }
    if (module_trace_stack_.empty()) panic("module trace stack is empty");
    const auto& [module, stage] = module_trace_stack_.back();
    if (stage != ModuleInitStage::FlowBlockInit) {
        panic(cat("finalize_flow_block: expected FlowBlockInit stage on module trace stack, got ",
                  member_name(stage)));
    }
    ModuleIdent m = module;
    with_module(m, [&](Module& mod) { mod.flow_blocks.push_back(block); });
}

void ModelArena::finalize_flow_procedure() {
    if (flow_block_stack_.size() >= 2) {
        panic(cat("finalize_flow_procedure: flow block stack must have 0 or 1 element, got ",
                  flow_block_stack_.size()));
    }
    if (flow_block_stack_.empty()) return;
    if (!flow_block_stack_.back().lazy_closed) {
        panic("finalize_flow_procedure: leftover flow block must be lazy-closed, not still open");
    }
    finalize_flow_block(flow_block_stack_.back().block, false);
}

FlowBlockType ModelArena::get_last_skeleton_flow_block_type() const {
    for (auto it = flow_block_stack_.rbegin(); it != flow_block_stack_.rend(); ++it) {
        FlowBlockType t = it->block.block_type;
        if (t == FlowBlockType::Sequential || t == FlowBlockType::Parallel) return t;
    }
    return FlowBlockType::Parallel;
}

void ModelArena::attach_basic_node_to_current_scope(const NcpIdent& node) {
    if (!flow_block_stack_.empty() && flow_block_stack_.back().lazy_closed) {
        finalize_flow_block(flow_block_stack_.back().block, false);
    }
    if (!flow_block_stack_.empty()) {
        FlowBlockIdent top = flow_block_stack_.back().block;
        with_block(top, [&](FlowBlock& b) { b.add_element_in_flow_block(*this, node); });
        return;
    }
    // Outside any block the assignment is always-on logic of the module being described (the
    // top module may not be set yet at this point of the procedure).
    std::optional<ModuleIdent> owner;
    if (!module_trace_stack_.empty()) {
        owner = module_trace_stack_.back().first;
    } else if (top_module_) {
        owner = top_module_;
    } else {
        panic("add_basic_node_to_top_module: no top module set");
    }
    with_module(*owner, [&](Module& m) { m.basic_nodes_i.push_back(node); });
}

void ModelArena::build_flow() {
    if (!top_module_) panic("build_flow: no top module set");
    ModuleIdent top = *top_module_;
    try {
        with_module(top, [&](Module& m) { Module::build_flow_as_top_module(m, *this); });
    } catch (const std::exception& e) {
        // Nothing is rolled back; the half-built model is marked so that later calls can say so.
        failed_build_ = e.what();
        throw;
    }
    flow_built_ = true;
}

}  // namespace velmora
