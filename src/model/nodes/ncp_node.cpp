// The trigger record of a node and how its trigger nodes become trigger signals.
#include "model/nodes/ncp_node.h"

#include <sstream>

#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {

const NodeTriggers& NcpNode::get_node_triggers() const {
    if (!has_triggers()) panic("OprNode has no triggers");
    return triggers_;
}

NodeTriggers& NcpNode::get_node_triggers_mut() {
    if (!has_triggers()) panic("OprNode has no triggers");
    return triggers_;
}

void NcpNode::fill_ext_node(const NodeTriggers& from, bool with_int_start) {
    NodeTriggers& t = get_node_triggers_mut();
    t.hold_node = from.hold_node;
    t.int_reset_node = from.int_reset_node;
    t.mrst_node = from.mrst_node;
    t.clk_node = from.clk_node;
    if (with_int_start) t.int_start_node = from.int_start_node;
}

OptHcpIdent NcpNode::get_state_operating() const {
    panic("get_state_operating: not implemented");
}

void NcpNode::dry_assign(ModelArena&) {
    panic("dry_assign: not implemented");
}

std::string NcpNode::get_md_ident_val() const {
    std::ostringstream address;
    address << static_cast<const void*>(this);
    return cat(text_form(get_node_type()), " @ ", address.str());
}

OptHcpIdent NcpNode::resolve_node_exit_opr(const ModelArena& arena, NcpRef other) const {
    // A node being assigned is out of its slot: its own exit must come from itself.
    if (other == NcpRef(ident)) return get_exit_opr();
    return node_exit_of(arena, arena.ident_of(other));
}

OptHcpIdent node_exit_of(const ModelArena& arena, const NcpIdent& node) {
    return arena.read_node(node, [](const NcpNode& n) { return n.get_exit_opr(); });
}

void NcpNode::init_ctrl_sigs(const ModelArena& arena, TriggerSig& sig) const {
    const NodeTriggers& t = get_node_triggers();
    auto exit_of = [&](const OptNcpRef& n) -> OptHcpIdent {
        if (!n) return std::nullopt;
        return resolve_node_exit_opr(arena, *n);
    };
    sig.hold_sig_i = exit_of(t.hold_node);
    sig.int_reset_sig_i = exit_of(t.int_reset_node);
    sig.mrst_sig_i = exit_of(t.mrst_node);
    sig.clk_sig_i = exit_of(t.clk_node);
}

void NcpNode::init_int_start_sig(const ModelArena& arena, TriggerSig& sig) const {
    const NodeTriggers& t = get_node_triggers();
    sig.int_start_sig_i =
        t.int_start_node ? resolve_node_exit_opr(arena, *t.int_start_node) : std::nullopt;
}

TriggerSig NcpNode::to_trigger_sig(const ModelArena& arena) const {
    TriggerSig sig;
    init_ctrl_sigs(arena, sig);
    init_int_start_sig(arena, sig);
    for (const auto& [node, cond] : get_node_triggers().depend_nodes) {
        OptHcpIdent exit = resolve_node_exit_opr(arena, node);
        if (!exit) {
            panic(cat("to_trigger_sig: depend node '", arena.ident_of(node).ident_base.abs_text(),
                      "' has no exit signal"));
        }
        sig.push_depend_node(*exit, arena.ident_of(cond));
    }
    return sig;
}

bool NcpNode::has_ctrl_triggers() const {
    const NodeTriggers& t = get_node_triggers();
    return t.hold_node || t.int_reset_node || t.int_start_node;
}

}  // namespace velmora
