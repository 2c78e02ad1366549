// Checks of what an operation connects: assignment destinations, reset and default values, and
// the module trees of the signals involved.
#include "model/model_store.h"
#include "model/typed_access.h"
#include "model/validate.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

/// The root of the module tree `m` belongs to, or null when `m` names no module of the arena.
const Module* root_of(const ModelArena& arena, ArenaHandle m) {
    const Module* module = arena.group<Module>().try_get(m);
    while (module != nullptr && !module->ident.master_module_handle.is_unset()) {
        module = arena.group<Module>().try_get(module->ident.master_module_handle);
    }
    return module;
}

}  // namespace

Problem check_assignable(const HcpIdent& des) {
    std::string_view what;
    std::string_view refusal;
    switch (des.hw_type) {
        case HwComponentType::Val:
            what = "a constant";
            refusal = "Val::do_asm should not be called";
            break;
        case HwComponentType::Expression:
            what = "an expression, computed from its operands,";
            refusal = "Expression::do_asm — not implemented";
            break;
        case HwComponentType::MemBlock:
            what = "a memory block";
            refusal = "MemBlk is not an assignment destination";
            break;
        case HwComponentType::IoWire:
            what = "a port made by the backend";
            refusal = "the io wire cannot be do_asm";
            break;
        default:
            return std::nullopt;
    }
    std::string remedy = des.hw_type == HwComponentType::MemBlock
                             ? "assign to one of its ports (mk_mem_ele)"
                             : "assign to a register or a wire";
    return cat(des.abs_name(), " is ", what, " and cannot be assigned (", refusal, "); ", remedy);
}

Problem check_reset_value(const ModelArena& arena, const HcpIdent& target, const HcpIdent& value) {
    bool is_reg = target.hw_type == HwComponentType::Reg;
    std::string_view role = is_reg ? "reset value" : "default value";
    if (value.global_id() == target.global_id()) {
        return cat(target.abs_name(), " cannot be its own ", role, "; give another signal (a ",
                   "constant, usually)");
    }
    if (is_reg) {
        return read_hcp_as<Reg>(arena, target, [&](const Reg& reg) -> Problem {
            if (!reg.reset_val) return std::nullopt;
            return cat("reset_val is set already; ", target.abs_name(), " has the reset value ",
                       reg.reset_val->abs_name(), ", and a register takes one");
        });
    }
    return read_hcp_as<Wire>(arena, target, [&](const Wire& wire) -> Problem {
        if (!wire.has_default) {
            return cat("cannot set default_val on a no-default wire; ", target.abs_name(),
                       " takes no default value");
        }
        if (!wire.default_val) return std::nullopt;
        return cat("default_val is set already; ", target.abs_name(), " has the default value ",
                   wire.default_val->abs_name(), ", and a wire takes one");
    });
}

std::optional<ModuleRef> current_module(const ModelArena& arena) {
    if (!arena.module_trace_stack().empty())
        return ModuleRef(arena.module_trace_stack().back().first);
    if (arena.get_top_module()) return ModuleRef(*arena.get_top_module());
    return std::nullopt;
}

ModuleRef module_of(const ModelArena& arena, const HcpIdent& signal) {
    const HcpBase* stored = arena.find_hcp(signal);
    return stored != nullptr ? stored->ident.parent_module : signal.parent_module;
}

Problem check_same_tree(const ModelArena& arena, const HcpIdent& signal, const ModuleRef& module) {
    const Module* here = root_of(arena, module.handle());
    const Module* there = root_of(arena, module_of(arena, signal).handle());
    if (here == nullptr || there == nullptr || here == there) return std::nullopt;
    const Module* m = arena.group<Module>().try_get(module.handle());
    return cat(signal.abs_name(), " belongs to the module tree of ",
               there->ident.ident_base.abs_text(), ", but ", m->ident.ident_base.abs_text(),
               " belongs to that of ", here->ident.ident_base.abs_text(),
               "; signals of different module trees cannot be connected");
}

}  // namespace velmora
