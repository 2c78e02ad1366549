// Checks of caller input that read the model: identities, slices, values, the module tree, the
// flow block stack and IO marks.
#include "model/validate.h"

#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

constexpr std::string_view kNotHere =
    " (an identity from another ModelArena, or one kept after BackendVerilog took the model)";

NameText abs_name(const ModuleIdent& m) {
    return m.ident_base.abs_text();
}

}  // namespace

Problem check_ident(const ModelArena& arena, const HcpIdent& id) {
    const HcpBase* stored = arena.find_hcp(id);
    if (stored == nullptr || stored->get_global_id() != id.global_id() ||
        stored->ident.hw_type != id.hw_type) {
        return cat(id.abs_name(), " is not a component of this arena", kNotHere);
    }
    return std::nullopt;
}

Problem check_ident(const ModelArena& arena, const ModuleIdent& id) {
    const Module* stored = arena.find_module(id);
    if (stored == nullptr || stored->ident.global_id() != id.global_id()) {
        return cat(abs_name(id), " is not a module of this arena", kNotHere);
    }
    return std::nullopt;
}

Problem check_ident(const ModelArena& arena, const FlowBlockIdent& id) {
    const FlowBlock* stored = arena.find_block(id);
    if (stored == nullptr || stored->get_global_id() != id.global_id() ||
        stored->get_ident().block_type != id.block_type) {
        return cat(id.ident_base.abs_text(), " is not a flow block of this arena", kNotHere);
    }
    return std::nullopt;
}

Problem check_ident(const ModelArena& arena, const CcpIdent& id) {
    const CcpBase* stored = arena.find_ccp(id);
    if (stored == nullptr || stored->get_ccp_ident().global_id() != id.global_id() ||
        stored->get_ccp_ident().ccp_type != id.ccp_type) {
        return cat(id.ident_base.abs_text(), " is not a complex component of this arena", kNotHere);
    }
    return std::nullopt;
}

Problem check_ccp_kind(const CcpIdent& id, CcpType expected) {
    if (id.ccp_type == expected) return std::nullopt;
    return cat("expected a complex component of kind ", text_form(expected), ", got ",
               id.ident_base.abs_text(), " of kind ", text_form(id.ccp_type));
}

Problem check_hcp_kind(const HcpIdent& id, HwComponentType expected) {
    if (id.hw_type == expected) return std::nullopt;
    return cat("expected a ", text_form(expected), ", got ", id.abs_name(), " (a ",
               text_form(id.hw_type), ")");
}

Problem check_slice(const ModelArena& arena, const HcpIdent& signal, const Slice& slice) {
    int32_t width = arena.hcp_width(signal);
    if (slice.is_valid() && slice.stop <= width) return std::nullopt;
    return cat(slice.debug_text(), " does not lie within ", signal.abs_name(), " (", width,
               " bits): a slice needs 0 <= start < stop <= ", width);
}

Problem check_one_bit_cond(const ModelArena& arena, const HcpIdent& cond,
                           const OptSlice& cond_slice) {
    int32_t w = arena.hcp_width(cond);
    if (cond_slice && cond_slice->is_valid()) {
        if (w < cond_slice->stop) {
            return cat("cond slice ", cond_slice->debug_text(),
                       " does not fit cond variable of width ", w);
        }
        w = cond_slice->size();
    }
    if (w == 1) return std::nullopt;
    return cat("cond must be 1-bit, got ", w, " (slice the cond variable down to one bit)");
}

Problem check_same_width(const ModelArena& arena, const HcpIdent& target, const HcpIdent& value) {
    int32_t want = arena.hcp_width(target);
    int32_t got = arena.hcp_width(value);
    if (want == got) return std::nullopt;
    return cat(value.abs_name(), " has ", got, " bits but ", target.abs_name(), " has ", want,
               " bits; the value must have the same width");
}

Problem check_track(const ModelArena& arena, const ModuleIdent& m, ModuleInitStage stage) {
    const auto& stack = arena.module_trace_stack();
    for (const auto& [tracked, tracked_stage] : stack) {
        if (tracked.global_id() == m.global_id()) {
            return cat(abs_name(m), " is already on the module trace stack (tracked at ",
                       member_name(tracked_stage), ")");
        }
    }
    if (stage != ModuleInitStage::CompInit) return std::nullopt;
    ArenaHandle master = arena.find_module(m)->ident.master_module_handle;
    if (stack.empty()) {
        if (master.is_unset()) return std::nullopt;
        // Untracked with nothing below, it would be a root that its parent never lists.
        return cat(abs_name(m), " was created inside ",
                   arena.group<Module>().get(master).ident.ident_base.abs_text(),
                   ", so it is tracked at component init while that module is on top of the "
                   "module trace stack (it becomes its sub-module)");
    }
    // Untracking it at component init will register it as a child of the module now on top.
    const ModuleIdent& parent = stack.back().first;
    if (master.is_unset()) {
        return cat(abs_name(m),
                   " was created outside any module, so it cannot become a sub-module of ",
                   abs_name(parent));
    }
    if (!(master == parent.handle())) {
        return cat(abs_name(m), " was created inside ",
                   arena.group<Module>().get(master).ident.ident_base.abs_text(),
                   ", so it cannot become a sub-module of ", abs_name(parent));
    }
    for (const ModuleIdent& sub : arena.get_module(parent).sub_modules) {
        if (sub.global_id() == m.global_id()) {
            return cat(abs_name(m), " is already a sub-module of ", abs_name(parent),
                       "; tracking it at component init again would instantiate it twice");
        }
    }
    return std::nullopt;
}

Problem check_untrack(const ModelArena& arena, const ModuleIdent& m, ModuleInitStage stage) {
    const auto& stack = arena.module_trace_stack();
    if (stack.empty()) {
        return cat("module trace stack is empty; ", abs_name(m),
                   " is not tracked: a module is untracked after it was tracked");
    }
    const auto& [top, top_stage] = stack.back();
    if (!(top == m)) {
        return cat(abs_name(m), " is not on top of the module trace stack (", abs_name(top),
                   " is); modules are untracked innermost first");
    }
    if (top_stage != stage) {
        return cat(abs_name(m), " is tracked at ", member_name(top_stage), ", not at ",
                   member_name(stage));
    }
    return std::nullopt;
}

Problem check_top_module(const ModelArena& arena, const ModuleIdent& m) {
    if (arena.get_top_module()) {
        return cat("top_module is already set; ", abs_name(*arena.get_top_module()),
                   " is the top module, and a design has one, set once");
    }
    ArenaHandle master = arena.find_module(m)->ident.master_module_handle;
    if (master.is_unset()) return std::nullopt;
    return cat(abs_name(m), " is a sub-module of ",
               arena.group<Module>().get(master).ident.ident_base.abs_text(),
               "; the top module must be a root module");
}

Problem check_block_not_open(const ModelArena& arena, const FlowBlockIdent& block) {
    for (const FlowStackEntry& entry : arena.flow_block_stack()) {
        if (entry.block.global_id() == block.global_id()) {
            return cat(block.ident_base.abs_text(), " is already open on the flow block stack");
        }
    }
    return std::nullopt;
}

Problem check_open_for_additions(const ModelArena& arena, std::string_view operation) {
    if (!arena.flow_built()) return std::nullopt;
    return cat(operation,
               ": build_flow has already built the design's control; nothing can be added to the "
               "model after it");
}

Problem check_io_name(const ModelArena& arena, const HcpIdent& hcp, std::string_view io_name) {
    if (io_name.empty()) return "an IO name must not be empty: it becomes a port name";
    if (io_name == "clk" || io_name == "mrst") {
        return cat("\"", io_name,
                   "\" is reserved for the design's clock and master reset inputs (\"clk\", "
                   "\"mrst\")");
    }
    if (Problem p = check_io_name_form(io_name)) return p;
    OptHcpIdent owner = arena.io_name_owner(io_name);
    if (owner && owner->global_id() != hcp.global_id()) {
        return cat("\"", io_name, "\" is already the IO name of ", owner->abs_name());
    }
    return std::nullopt;
}

}  // namespace velmora
