// Module creation, the module trace stack, stamping and the top module.
#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {

ModuleIdent ModelArena::mk_module(std::string_view name) {
    Module m;
    m.ident = ModuleIdent::make(true, name);
    ArenaHandle h = group<Module>().insert(std::move(m));
    ModuleIdent id = group<Module>().get(h).ident;
    id.ident_base.give_names_to(names_);
    if (!construction_.module_trace_stack.empty()) {
        id.master_module_handle = construction_.module_trace_stack.back().first.handle();
        id.depth_level = static_cast<uint32_t>(construction_.module_trace_stack.size());
    }
    with_module(id, [&](Module& stored) { stored.ident = id; });
    return id;
}

void ModelArena::push_module(const ModuleIdent& m, ModuleInitStage stage) {
    construction_.module_trace_stack.emplace_back(m, stage);
}

std::pair<ModuleIdent, ModuleInitStage> ModelArena::pop_module() {
    if (construction_.module_trace_stack.empty()) panic("module trace stack is empty");
    auto top = construction_.module_trace_stack.back();
    construction_.module_trace_stack.pop_back();
    return top;
}

namespace {
void check_untracked(const ModuleIdent& popped, const ModuleIdent& expected) {
    if (!(popped == expected)) {
        panic(cat("finalize_module: ident mismatch — wrong module finalized (popped \"",
                  popped.ident_base.abs_text(), "\", expected \"", expected.ident_base.abs_text(),
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
    if (!construction_.module_trace_stack.empty()) {
        ModuleIdent parent = construction_.module_trace_stack.back().first;
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
        panic(cat("get_parent_module_ident: module \"", m.ident_base.abs_text(), "\" (id ",
                  m.global_id(),
                  ") is a top module and has no parent — module tree / depth_level is "
                  "inconsistent"));
    }
    return group<Module>().get(m.master_module_handle).ident;
}

HcpIdent ModelArena::stamp_hw_to_parent_module(HcpIdent id, bool is_user_com) {
    if (construction_.module_trace_stack.empty()) panic("module trace stack is empty");
    const auto& [module, stage] = construction_.module_trace_stack.back();
    id.parent_module = module;
    // Both records are changed where they stand: these small writes reach nothing else.
    store_->edit_in_place<HcpKinds>(id.hw_type, id, [&](HcpBase& c) { c.ident = id; });
    if (stage == ModuleInitStage::FlowBlockBuild) {
        construction_.pending_hcps.push_back(PendingHcp{id, is_user_com});
    } else {
        group<Module>().get_mut(module.handle()).add_hcp(id, is_user_com);
    }
    return id;
}

CcpIdent ModelArena::stamp_ccp_to_parent_module(CcpIdent id) {
    if (construction_.module_trace_stack.empty()) panic("module trace stack is empty");
    const auto& [module, stage] = construction_.module_trace_stack.back();
    if (stage == ModuleInitStage::FlowBlockBuild) {
        panic(
            cat("stamp_ccp_to_parent_module: CCPs cannot be created during ", member_name(stage)));
    }
    ModuleIdent m = module;
    id.parent_module = m;
    with_ccp(id, [&](CcpBase& c) { c.set_ccp_ident(id); });
    with_module(m, [&](Module& mod) { mod.ccps.push_back(id); });
    return id;
}

void ModelArena::mark_as_io(const HcpIdent& id, bool is_input, std::string io_name) {
    with_hcp(id, [&](HcpBase& c) {
        if (const auto& old = c.get_io_mark()) {
            auto it = construction_.io_name_owners.find(old->io_name);
            if (it != construction_.io_name_owners.end() &&
                it->second.global_id() == id.global_id()) {
                construction_.io_name_owners.erase(it);
            }
        }
        construction_.io_name_owners.insert_or_assign(io_name, id);
        c.mark_as_io(is_input, std::move(io_name));
    });
}

bool ModelArena::is_marked_as_io(const HcpIdent& id) const {
    return read_hcp(id, [](const HcpBase& c) { return c.is_marked_as_io(); });
}

OptHcpIdent ModelArena::io_name_owner(std::string_view io_name) const {
    auto it = construction_.io_name_owners.find(std::string(io_name));
    if (it == construction_.io_name_owners.end()) return std::nullopt;
    return it->second;
}

}  // namespace velmora
