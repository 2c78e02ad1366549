// Module creation, the module trace stack, stamping and the top module.
#include "model/model_arena.h"
#include "util/str_cat.h"

namespace velmora {

void ModelArena::fail_nest(HwComponentType t) {
    panic(cat("HwComponentType ", member_name(t), " is not HcpBase"));
}
void ModelArena::fail_untype() {
    panic("UpdateEventIdent has UeType::Untype");
}
void ModelArena::fail_block_type(FlowBlockType t) {
    panic(cat("flow block type ", member_name(t), " has no storage in this arena"));
}

int32_t ModelArena::hcp_width(const HcpIdent& id) const {
    return read_hcp(id, [](const HcpBase& c) { return c.bit_width; });
}

UeCommon ModelArena::get_ue_common(const UpdateEventIdent& id) const {
    return read_ue(id, [](const UpdateEvent& ue) { return ue.common; });
}

ModuleIdent ModelArena::mk_module(std::string_view name) {
    Module m;
    m.ident = ModuleIdent::make(true, name);
    ArenaHandle h = group<Module>().insert(std::move(m));
    ModuleIdent id = group<Module>().get(h).ident;
    id.ident_base.give_names_to(names_);
    if (!module_trace_stack_.empty()) {
        id.master_module_handle = module_trace_stack_.back().first.handle();
        id.depth_level = static_cast<uint32_t>(module_trace_stack_.size());
    }
    with_module(id, [&](Module& stored) { stored.ident = id; });
    return id;
}

void ModelArena::push_module(const ModuleIdent& m, ModuleInitStage stage) {
    module_trace_stack_.emplace_back(m, stage);
}

std::pair<ModuleIdent, ModuleInitStage> ModelArena::pop_module() {
    if (module_trace_stack_.empty()) panic("module trace stack is empty");
    auto top = module_trace_stack_.back();
    module_trace_stack_.pop_back();
    return top;
}

namespace {
void check_untracked(const ModuleIdent& popped, const ModuleIdent& expected) {
    if (!(popped == expected)) {
        panic(cat("finalize_module: ident mismatch — wrong module finalized (popped \"",
                  popped.ident_base.abs_view(), "\", expected \"", expected.ident_base.abs_view(),
                  "\")"));
    }
}
}  // namespace

void ModelArena::track_module_at_com_init(const ModuleIdent& m) {
    push_module(m, ModuleInitStage::CompInit);
}

void ModelArena::untrack_module_at_com_init(const ModuleIdent& m) {
    auto [popped, stage] = pop_module();
    check_untracked(popped, m);
    if (!module_trace_stack_.empty()) {
        ModuleIdent parent = module_trace_stack_.back().first;
        with_module(parent, [&](Module& p) { p.sub_modules.push_back(m); });
    }
}

void ModelArena::track_module_at_flow_init(const ModuleIdent& m) {
    push_module(m, ModuleInitStage::FlowBlockInit);
}

void ModelArena::untrack_module_at_flow_init(const ModuleIdent& m) {
    auto [popped, stage] = pop_module();
    check_untracked(popped, m);
}

void ModelArena::set_top_module(const ModuleIdent& m) {
    if (top_module_) panic("top_module is already set");
    top_module_ = m;
    with_module(m, [](Module& mod) { mod.is_top = true; });
}

ModuleIdent ModelArena::get_parent_module_ident(const ModuleIdent& m) const {
    if (m.master_module_handle.is_unset()) {
        panic(cat("get_parent_module_ident: module \"", m.ident_base.abs_view(), "\" (id ",
                  m.global_id(),
                  ") is a top module and has no parent — module tree / depth_level is "
                  "inconsistent"));
    }
    return group<Module>().get(m.master_module_handle).ident;
}

HcpIdent ModelArena::stamp_hw_to_parent_module(HcpIdent id, bool is_user_com) {
    if (module_trace_stack_.empty()) panic("module trace stack is empty");
    const auto& [module, stage] = module_trace_stack_.back();
    id.parent_module = module;
    with_hcp(id, [&](HcpBase& c) { c.ident = id; });
    if (stage == ModuleInitStage::FlowBlockBuild) {
        pending_hcps_.emplace_back(id, is_user_com);
    } else {
        ModuleIdent m = module;
        with_module(m, [&](Module& mod) { mod.hcp_list(id.hw_type, is_user_com).push_back(id); });
    }
    return id;
}

void ModelArena::mark_as_io(const HcpIdent& id, bool is_input, std::string io_name) {
    with_hcp(id, [&](HcpBase& c) {
        if (const auto& old = c.get_io_mark()) {
            auto it = io_name_owners_.find(old->io_name);
            if (it != io_name_owners_.end() && it->second.global_id() == id.global_id()) {
                io_name_owners_.erase(it);
            }
        }
        io_name_owners_.insert_or_assign(io_name, id);
        c.mark_as_io(is_input, std::move(io_name));
    });
}

std::optional<HcpIdent> ModelArena::io_name_owner(std::string_view io_name) const {
    auto it = io_name_owners_.find(std::string(io_name));
    if (it == io_name_owners_.end()) return std::nullopt;
    return it->second;
}

}  // namespace velmora
