// The zync's hardware. A state holds while the zync waits; it drives the requests of its leaves
// and stays set until a grant comes. The assignments take effect in the grant cycle, and the exit
// "zync_exit_{id}" is high in that one cycle only (state AND grant), so what follows starts once.
//
// In Any-mode with several binds the binds take turns: one ring state per bind, passed on every
// cycle without a grant, and only the bind whose turn it is requests. Two arbiters can then never
// grant one item together, and no request depends on another arbiter's grant, which would close a
// combinational loop between zyncs that bind the same arbiters in different orders.
#include "model/complex_hardware/arb.h"
#include "model/flow_block/zync.h"
#include "model/model_store.h"
#include "model/typed_access.h"
#include "util/str_cat.h"
#include "util/warn_line.h"

namespace velmora {
namespace {

HcpIdent exit_of(const ModelArena& arena, const NcpIdent& node) {
    return *arena.read_node(node, [](const NcpNode& n) { return n.get_exit_opr(); });
}

HcpIdent and_of(ModelArena& arena, std::string_view name, const HcpIdent& a, const HcpIdent& b) {
    return arena.make_expression(false, name, LogicOp::BitwiseAnd, a, b, std::nullopt,
                                 std::nullopt);
}

/// A state of the block: its triggers, listed, its exit made.
NcpIdent make_state(ModelArena& arena, FlowBlockBase& base, std::string name) {
    NcpIdent s = adopt_node(arena, base, arena.make_state_node(name));
    arena.assign_ncp_node(s, true, false);
    return s;
}

}  // namespace

void ZyncSchematic::build(ModelArena& arena, FlowBlockBase& base) {
    if (!base.con_blocks_i.empty()) panic("zync flow block does not support con blocks");
    if (!base.scan_sub_blocks_by_policy().second.empty()) {
        panic("zync flow block supports only basic nodes or basic-flow sub-blocks");
    }
    if (base.basic_nodes_i.empty() && base.sub_blocks_i.empty()) {
        panic("zync flow block must hold at least one basic node or basic-flow sub-block");
    }
    if (binds.empty()) panic("zync block must contend on at least one arb bind");
    const uint64_t id = base.ident.global_id();
    if (match_all && binds.size() > 1) {
        warn_line(cat("zync block '", base.ident.ident_base.rel_view(),
                      "': All-mode grant is AND over (ack & cond); the target may activate when "
                      "not all conditions are satisfied"));
    }

    NcpIdent asm_node =
        arena.make_asm_node_many(cat("zync_asm_", id), base.gen_unified_asm_meta_flat(arena));
    arena.with_node(asm_node, [&](NcpNode& n) { n.fill_ext_node(base.triggers, false); });
    NcpIdent state = make_state(arena, base, cat("zync_state_", id));
    const HcpIdent waiting = exit_of(arena, state);

    const bool take_turns = !match_all && binds.size() > 1;
    std::vector<NcpIdent> turns;
    if (take_turns) {
        for (size_t k = 0; k < binds.size(); ++k) {
            turns.push_back(make_state(arena, base, cat("zync_turn_", id, "_", k)));
        }
    }

    OptHcpIdent grant;
    for (size_t k = 0; k < binds.size(); ++k) {
        const ZyncArbBind& bind = binds[k];
        ArbLeaf leaf = read_ccp_as<Arb>(arena, bind.arb, [&](const Arb& a) {
            if (bind.leaf >= a.leaves.size()) {
                panic("ZyncSchematic::build: channel index out of range for arb");
            }
            return a.leaves[bind.leaf];
        });
        const HcpIdent asking = take_turns ? exit_of(arena, turns[k]) : waiting;
        const HcpIdent req =
            bind.cond ? and_of(arena, cat("zync_req_", id, "_", k), asking, *bind.cond) : asking;
        drive_arb_signal(arena, leaf.req, req);
        // Taking turns, a bind is granted only on its turn: an Ack-locked leaf's acknowledge is
        // high on every turn.
        std::string term_name = cat("zync_grant_term_", id, "_", k);
        HcpIdent term = take_turns  ? and_of(arena, term_name, leaf.ack, req)
                        : bind.cond ? and_of(arena, term_name, leaf.ack, *bind.cond)
                                    : leaf.ack;
        grant = combine_optional_conds(arena, grant, term,
                                       match_all ? LogicOp::BitwiseAnd : LogicOp::BitwiseOr);
    }
    HcpIdent no_grant = arena.make_expression_single(false, cat("zync_no_grant_", id),
                                                     LogicOp::BitwiseInvr, *grant, std::nullopt);

    add_depend(arena, state, state, no_grant);
    std::vector<NcpIdent> entries{state};
    if (take_turns) {
        for (size_t k = 0; k < turns.size(); ++k) {
            add_depend(arena, turns[k], turns[(k + turns.size() - 1) % turns.size()], no_grant);
        }
        entries.push_back(turns.front());
    }
    if (base.triggers.int_start_node) {
        for (const NcpIdent& e : entries)
            add_depend(arena, e, arena.ident_of(*base.triggers.int_start_node));
    }
    add_depend(arena, asm_node, state, grant);
    for (size_t k = 1; k < turns.size(); ++k) arena.assign_ncp_node(turns[k], false, true);
    arena.assign_asm_from_state_node(asm_node);

    HcpIdent pulse = and_of(arena, cat("zync_exit_", id), waiting, *grant);
    NcpIdent exit = arena.make_opr_node(cat("zync_exit_", id), pulse);
    base.created_nodes.push_back(exit);
    result = NodeWrap(std::move(entries), exit, IN_CONSIST_CYCLE_USED, false);
}

}  // namespace velmora
