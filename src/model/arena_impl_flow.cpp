// The flow procedure: opening and closing blocks on the flow block stack, with lazily closed
// if-chains, and attaching assignments to the innermost open scope.
#include "model/model_store.h"
#include "model/validate.h"
#include "util/str_cat.h"

namespace velmora {

void ModelArena::initialize_flow_block(const FlowBlockIdent& block) {
    if (block.join_policy != FlowBlockJoinPolicy::ConFlow &&
        !construction_.flow_block_stack.empty() &&
        construction_.flow_block_stack.back().lazy_closed) {
        finalize_flow_block(construction_.flow_block_stack.back().block, false);
    }
    construction_.flow_block_stack.push_back(FlowStackEntry{block, false});
    construction_.opened_blocks.insert(block.global_id());
}

std::optional<std::string> ModelArena::check_flow_block_prefinalize(const FlowBlockIdent& block) {
    const std::vector<FlowStackEntry>& stack = construction_.flow_block_stack;
    if (stack.size() >= 2 && stack.back().lazy_closed && stack[stack.size() - 2].block == block) {
        if (std::optional<std::string> p = check_lazy_chain_close(*this)) return p;
        finalize_flow_block(stack.back().block, false);
    }
    return read_block(block, [](const FlowBlock& b) { return b.check_prefinalize(); });
}

void ModelArena::finalize_flow_block(const FlowBlockIdent& block, bool recursive) {
    if (construction_.flow_block_stack.empty()) panic("flow block stack is empty");
    if (!(construction_.flow_block_stack.back().block == block)) {
        if (recursive) {
            panic("finalize_flow_block: recursive finalize must not mismatch the expected block");
        }
        finalize_flow_block(construction_.flow_block_stack.back().block, true);
        if (construction_.flow_block_stack.empty()) {
            panic("finalize_flow_block: ident mismatch — wrong block finalized");
        }
    }
    FlowStackEntry top = construction_.flow_block_stack.back();
    construction_.flow_block_stack.pop_back();
    if (!(top.block == block)) panic("finalize_flow_block: ident mismatch — wrong block finalized");

    if (block.chain_master && !top.lazy_closed) {
        // The chain stays open for its elif / else blocks.
        construction_.flow_block_stack.push_back(FlowStackEntry{block, true});
        return;
    }
    if (!construction_.flow_block_stack.empty()) {
        FlowBlockIdent parent = construction_.flow_block_stack.back().block;
        with_block(parent, [&](FlowBlock& p) {
            if (block.join_policy == FlowBlockJoinPolicy::ConFlow) {
                p.add_con_flow_block(*this, block);
            } else {
                p.add_sub_flow_block(*this, block);
            }
        });
        return;
    }
    if (construction_.module_trace_stack.empty()) panic("module trace stack is empty");
    const auto& [module, stage] = construction_.module_trace_stack.back();
    if (stage != ModuleInitStage::FlowBlockInit) {
        panic(cat("finalize_flow_block: expected FlowBlockInit stage on module trace stack, got ",
                  member_name(stage)));
    }
    ModuleIdent m = module;
    with_module(m, [&](Module& mod) { mod.flow_blocks.push_back(block); });
}

void ModelArena::finalize_flow_procedure() {
    if (construction_.flow_block_stack.size() >= 2) {
        panic(cat("finalize_flow_procedure: flow block stack must have 0 or 1 element, got ",
                  construction_.flow_block_stack.size()));
    }
    if (construction_.flow_block_stack.empty()) return;
    if (!construction_.flow_block_stack.back().lazy_closed) {
        panic("finalize_flow_procedure: leftover flow block must be lazy-closed, not still open");
    }
    finalize_flow_block(construction_.flow_block_stack.back().block, false);
}

FlowBlockType ModelArena::get_last_skeleton_flow_block_type() const {
    for (auto it = construction_.flow_block_stack.rbegin();
         it != construction_.flow_block_stack.rend(); ++it) {
        FlowBlockType t = it->block.block_type;
        if (t == FlowBlockType::Sequential || t == FlowBlockType::Parallel) return t;
    }
    return FlowBlockType::Parallel;
}

void ModelArena::attach_basic_node_to_current_scope(const NcpIdent& node) {
    if (!construction_.flow_block_stack.empty() &&
        construction_.flow_block_stack.back().lazy_closed) {
        finalize_flow_block(construction_.flow_block_stack.back().block, false);
    }
    if (!construction_.flow_block_stack.empty()) {
        FlowBlockIdent top = construction_.flow_block_stack.back().block;
        with_block(top, [&](FlowBlock& b) { b.add_element_in_flow_block(*this, node); });
        return;
    }
    // Outside any block the assignment is always-on logic of the module being described (the
    // top module may not be set yet at this point of the procedure).
    std::optional<ModuleIdent> owner;
    if (!construction_.module_trace_stack.empty()) {
        owner = construction_.module_trace_stack.back().first;
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
        construction_.failed_build = e.what();
        throw;
    }
    construction_.flow_built = true;
}

}  // namespace velmora
