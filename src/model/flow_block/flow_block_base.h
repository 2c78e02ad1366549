#pragma once
// What every flow block shares: its children, basic nodes, inherited signals and triggers.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/common/ident.h"
#include "model/flow_block/node_wrap.h"
#include "model/hw_component/common/assign_meta.h"
#include "model/nodes/ncp_node.h"

namespace velmora {

class ModelArena;

struct FlowBlockBase {
    std::vector<FlowBlockIdent> sub_blocks_i;
    std::vector<uint64_t> sub_block_order;
    std::vector<FlowBlockIdent> con_blocks_i;
    std::vector<uint64_t> con_block_order;
    std::vector<NcpIdent> basic_nodes_i;
    std::vector<uint64_t> basic_node_order;
    std::vector<NcpIdent> created_nodes;
    std::vector<HcpIdent> hold_signals;
    std::vector<HcpIdent> reset_signals;
    std::vector<HcpIdent> start_signals;
    std::vector<HcpIdent> mrst_signals;
    std::vector<HcpIdent> clk_signals;
    NodeTriggers triggers;
    FlowBlockIdent ident;
    uint64_t insertion_counter = 0;

    static FlowBlockBase make(FlowBlockType type, FlowBlockJoinPolicy policy, std::string_view name,
                              bool chain_master);

    void push_basic_node(const NcpIdent& node);
    void push_sub_block(const FlowBlockIdent& block);
    void push_con_block(const FlowBlockIdent& block);

    /// Children inherit signals, are built first, then the block's own trigger nodes are made and
    /// its basic nodes receive external triggers, clock sources and pending pre-conditions.
    void build_common_hw(ModelArena& arena);
    /// Basic nodes and BasicNodeFlow children in insertion order, merged per destination.
    std::vector<AssignMeta> gen_unified_asm_meta_flat(ModelArena& arena) const;
    /// (BasicNodeFlow children, SubFlow children), each in order.
    std::pair<std::vector<FlowBlockIdent>, std::vector<FlowBlockIdent>> scan_sub_blocks_by_policy()
        const;
};

class FlowBlock {
public:
    FlowBlock() = default;
    virtual ~FlowBlock() = default;
    // Declared so that taking an object out of its slot and putting it back moves its lists.
    FlowBlock(const FlowBlock&) = default;
    FlowBlock(FlowBlock&&) = default;
    FlowBlock& operator=(const FlowBlock&) = default;
    FlowBlock& operator=(FlowBlock&&) = default;

    virtual FlowBlockBase& get_base_mut() = 0;
    virtual const FlowBlockBase& get_base() const = 0;
    void set_arena_handle(ArenaHandle h) { get_base_mut().ident.ident_base.arena_handle = h; }
    const FlowBlockIdent& get_ident() const { return get_base().ident; }
    uint64_t get_global_id() const { return get_ident().global_id(); }
    NameText get_global_name() const { return get_ident().ident_base.abs_text(); }
    std::string_view get_rel_name() const { return get_ident().ident_base.rel_view(); }

    /// The word a designer knows this kind by ("seq", "cselse", "zcase"), for messages.
    virtual std::string_view noun() const = 0;

    /// An assignment node attached to the block while it is open (only AsmNodes).
    virtual void add_element_in_flow_block(const ModelArena& arena, const NcpIdent& node);
    /// A closed child; `arena` reads it in place (this block is out of its slot).
    virtual void add_sub_flow_block(const ModelArena& arena, const FlowBlockIdent& block);
    virtual void add_con_flow_block(const ModelArena& arena, const FlowBlockIdent& block);

    // Structural rules, asked before a child is opened in this block, a chain is continued or an
    // assignment is made in it, so that a mistake is refused before anything changes. Each
    // answers the problem as text naming the blocks, or nullopt.

    /// May `child` (not yet attached) become a sub block of this block?
    virtual std::optional<std::string> check_sub_block(const ModelArena& arena,
                                                       const FlowBlock& child) const;
    /// As check_sub_block, when the closed chain `pending`, waiting on top of the stack, is
    /// attached to this block first (opening `child` closes the chain).
    virtual std::optional<std::string> check_sub_block_after(const ModelArena& arena,
                                                             const FlowBlockIdent& pending,
                                                             const FlowBlock& child) const {
        (void)pending;
        return check_sub_block(arena, child);
    }
    /// May `con` continue this lazily closed chain?
    virtual std::optional<std::string> check_con_block(const ModelArena& arena,
                                                       const FlowBlock& con) const;
    /// May an assignment be made directly in this block?
    virtual std::optional<std::string> check_basic_node() const { return std::nullopt; }
    /// Is this lazily closed chain complete enough to be attached to its parent?
    virtual std::optional<std::string> check_chain_close(const ModelArena&) const {
        return std::nullopt;
    }

    virtual OptHcpIdent get_loop_id_expr_i() const;
    virtual const NodeWrap& summarize_as_block() const = 0;
    virtual NcpIdent summarize_as_node() const;
    /// Structural error in the user's flow description, if any.
    virtual std::optional<std::string> check_prefinalize() const { return std::nullopt; }
    virtual void build_hw_component(ModelArena& arena) = 0;
    void build_hw_master_base(ModelArena& arena) {
        get_base_mut().build_common_hw(arena);
        build_hw_component(arena);
    }
    virtual void build_hw_master(ModelArena& arena) { build_hw_master_base(arena); }
};

/// The summary a schematic leaves once built; asking before the build is the internal error
/// `not_built`.
const NodeWrap& built_summary(const std::optional<NodeWrap>& result,
                              std::string_view not_built = "flow block has not been built");

/// "{noun} {absolute name}": how messages name a block.
std::string block_label(const FlowBlock& block);
/// "{parent} cannot take {child}: {why}".
std::string refuse_child(const FlowBlock& parent, const FlowBlock& child, std::string_view why);

/// A node a schematic makes: it takes the block's external triggers (not its start) and is
/// listed among the block's created nodes.
NcpIdent adopt_node(ModelArena& arena, FlowBlockBase& base, NcpIdent node);

/// Adds `on` (with `cond`) as a depend of `node`.
void add_depend(ModelArena& arena, const NcpIdent& node, const NcpIdent& on,
                OptHcpIdent cond = std::nullopt);

/// The structural problem of a block that holds steps but no con blocks ("{kind} flow block has
/// no element", "{kind} flow block does not support con blocks"), if any.
std::optional<std::string> check_plain_block(const FlowBlockBase& base, std::string_view kind);

/// A block kind: its FlowBlockBase and the schematic that builds it and keeps its summary. A kind
/// derives from this and adds only what differs: its fields, its structural rules, its checks.
template <class Schematic>
class FlowBlockKind : public FlowBlock {
public:
    FlowBlockBase base;
    Schematic schematic;

    FlowBlockBase& get_base_mut() override { return base; }
    const FlowBlockBase& get_base() const override { return base; }
    const NodeWrap& summarize_as_block() const override { return built_summary(schematic.result); }
    void build_hw_component(ModelArena& arena) override { schematic.build(arena, base); }
};

}  // namespace velmora
