#pragma once
// Control nodes: the graph flow blocks compile into. A node names one exit signal and knows the
// nodes that trigger it; "assigning" a node turns its triggers into hardware.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/small_vector.h"
#include "model/common/hcp_ref.h"
#include "model/common/ident.h"
#include "model/hw_component/logic_op.h"
#include "model/hw_component/sp_reg/trigger_sig.h"

namespace velmora {

class ModelArena;

inline constexpr int32_t IN_CONSIST_CYCLE_USED = -1;

struct NodeTriggers {
    SmallVector<std::pair<NcpRef, OptHcpRef>, 1> depend_nodes;
    OptNcpRef hold_node;
    OptNcpRef int_reset_node;
    OptNcpRef int_start_node;
    OptNcpRef mrst_node;
    OptNcpRef clk_node;
};

class NcpNode {
public:
    NcpIdent ident;

    NcpNode() = default;
    virtual ~NcpNode() = default;
    // Declared so that taking an object out of its slot and putting it back moves its lists.
    NcpNode(const NcpNode&) = default;
    NcpNode(NcpNode&&) = default;
    NcpNode& operator=(const NcpNode&) = default;
    NcpNode& operator=(NcpNode&&) = default;
    void set_arena_handle(ArenaHandle h) { ident.ident_base.arena_handle = h; }

    // Triggers (refused by nodes without triggers).
    virtual bool has_triggers() const { return true; }
    const NodeTriggers& get_node_triggers() const;
    NodeTriggers& get_node_triggers_mut();
    OptNcpRef get_hold_node() const { return get_node_triggers().hold_node; }
    OptNcpRef get_int_reset_node() const { return get_node_triggers().int_reset_node; }
    OptNcpRef get_int_start_node() const { return get_node_triggers().int_start_node; }
    OptNcpRef get_mrst_node() const { return get_node_triggers().mrst_node; }
    OptNcpRef get_clk_node() const { return get_node_triggers().clk_node; }
    void set_hold_node(OptNcpRef n) { get_node_triggers_mut().hold_node = n; }
    void set_int_reset_node(OptNcpRef n) { get_node_triggers_mut().int_reset_node = n; }
    void set_int_start_node(OptNcpRef n) { get_node_triggers_mut().int_start_node = n; }
    void set_mrst_node(OptNcpRef n) { get_node_triggers_mut().mrst_node = n; }
    void set_clk_node(OptNcpRef n) { get_node_triggers_mut().clk_node = n; }
    void add_depend_node(const NcpIdent& node, OptHcpIdent cond) {
        get_node_triggers_mut().depend_nodes.emplace_back(node, std::move(cond));
    }
    /// Copies hold, int reset, mrst and clk (and int start when asked); depends stay.
    void fill_ext_node(const NodeTriggers& from, bool with_int_start);

    // Node operations.
    const NcpIdent& get_ncp_ident() const { return ident; }
    NodeType get_node_type() const { return ident.node_type; }
    virtual ClockMode get_clock_mode(const ModelArena& arena) const = 0;
    virtual void assign_prelim(ModelArena& arena) = 0;
    virtual void assign_final(ModelArena& arena) = 0;
    virtual OptHcpIdent get_exit_opr() const = 0;
    virtual OptHcpIdent get_state_operating() const;
    virtual int32_t get_cycle_used() const = 0;
    virtual void dry_assign(ModelArena& arena);
    virtual bool is_state_full_node() const = 0;
    std::string get_md_ident_val() const;
    /// Exit of `other`, answered from this node itself when `other` is this node.
    OptHcpIdent resolve_node_exit_opr(const ModelArena& arena, NcpRef other) const;
    void init_ctrl_sigs(const ModelArena& arena, TriggerSig& sig) const;
    void init_int_start_sig(const ModelArena& arena, TriggerSig& sig) const;
    TriggerSig to_trigger_sig(const ModelArena& arena) const;
    HcpIdent bind_with_rst_output_if_reset(ModelArena& arena, const HcpIdent& x) const;
    HcpIdent bind_with_hold_if_hold(ModelArena& arena, const HcpIdent& x) const;
    /// The exit of a state-holding node: `raw` gated by the internal reset, then by the hold.
    HcpIdent bind_exit_with_rst_and_hold(ModelArena& arena, const HcpIdent& raw) const;

protected:
    NodeTriggers triggers_;
    /// True when a hold, int reset or int start node is set (cycle count not fixed).
    bool has_ctrl_triggers() const;
};

/// AND/OR of two optional one-bit signals: absent operands drop out ("node_logic_expr").
OptHcpIdent combine_optional_conds(ModelArena& arena, OptHcpIdent a, OptHcpIdent b, LogicOp op);

/// Exit signal of the node in the arena (the node must not be taken out).
OptHcpIdent node_exit_of(const ModelArena& arena, const NcpIdent& node);

}  // namespace velmora
