// A sequence: each element takes its own cycles; a plain assignment becomes one state.
#include "model/flow_block/seq.h"

#include <algorithm>

#include "model/flow_block/cycle_samples.h"
#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

NcpIdent basic_state(const ModelArena& arena, const SequenceEle& e) {
    if (!e.state_node_i) panic("state_node_i not generated");
    return arena.ident_of(*e.state_node_i);
}

NcpIdent basic_asm(const ModelArena& arena, const SequenceEle& e) {
    if (!e.asm_node_i) {
        panic(
            "SequenceEle::Basic: asm_node_i unresolved (add_node forgot the AsmNode, or "
            "add_basic_block's block has no summary)");
    }
    return arena.ident_of(*e.asm_node_i);
}

}  // namespace

NcpIdent SeqSchematic::exit_of(const ModelArena& arena, const SequenceEle& e) const {
    if (e.is_sub_block) return wrap_of(e).get_exit_node();
    return basic_state(arena, e);
}

std::vector<NcpIdent> SeqSchematic::entries_of(const ModelArena& arena,
                                               const SequenceEle& e) const {
    if (e.is_sub_block) return wrap_of(e).entry_nodes;
    return {basic_state(arena, e)};
}

void SeqSchematic::add_depend(ModelArena& arena, const SequenceEle& e, const NcpIdent& on) const {
    for (const NcpIdent& entry : entries_of(arena, e)) {
        arena.with_node(entry, [&](NcpNode& n) { n.add_depend_node(on, std::nullopt); });
    }
}

FlowBlockSeq FlowBlockSeq::make(std::string_view name) {
    FlowBlockSeq s;
    s.base =
        FlowBlockBase::make(FlowBlockType::Sequential, FlowBlockJoinPolicy::SubFlow, name, false);
    return s;
}

FlowBlockIdent ModelArena::make_flow_block_seq(std::string_view name) {
    return insert_block(FlowBlockSeq::make(name));
}

void FlowBlockSeq::add_element_in_flow_block(const ModelArena& arena, const NcpIdent& node) {
    FlowBlock::add_element_in_flow_block(arena, node);
    SequenceEle step;
    step.asm_node_i = NcpRef(node);
    schematic.elements.push_back(step);
}

void FlowBlockSeq::add_sub_flow_block(const ModelArena&, const FlowBlockIdent& block) {
    if (block.join_policy == FlowBlockJoinPolicy::ConFlow) {
        panic(
            "FlowBlockSeq::add_sub_flow_block: ConFlow children are not allowed as "
            "sub-blocks of a seq");
    }
    SequenceEle step;
    step.block = static_cast<uint32_t>(schematic.blocks.size());
    step.is_sub_block = block.join_policy == FlowBlockJoinPolicy::SubFlow;
    schematic.blocks.push_back(SeqBlock{block, std::nullopt});
    schematic.elements.push_back(step);
    base.push_sub_block(block);
}

void SeqSchematic::build(ModelArena& arena, FlowBlockBase& base) {
    if (std::optional<std::string> problem = check_plain_block(base, "seq")) panic(*problem);
    const uint64_t id = base.ident.global_id();
    CycleSamples samples;

    // 1. Summaries of sub blocks, one state per assignment step.
    for (size_t i = 0; i < elements.size(); ++i) {
        SequenceEle& step = elements[i];
        if (step.is_sub_block) {
            SeqBlock& blk = blocks[step.block];
            blk.wrap = arena.read_block(blk.block,
                                        [](const FlowBlock& b) { return b.summarize_as_block(); });
            samples.push(blk.wrap->cycle);
            continue;
        }
        if (step.block != SequenceEle::kNoBlock) {
            NcpIdent node = arena.read_block(
                blocks[step.block].block, [](const FlowBlock& b) { return b.summarize_as_node(); });
            if (node.node_type != NodeType::Asm) {
                panic(
                    "SequenceEle::Basic: summarize_as_node must yield an AsmNode for "
                    "BasicNodeFlow sub-block");
            }
            step.asm_node_i = NcpRef(node);
        }
        const NcpIdent asm_node = basic_asm(arena, step);
        NcpIdent state = arena.make_state_node(cat("seq_state_", id, "_", i));
        arena.with_node(state, [&](NcpNode& n) { n.fill_ext_node(base.triggers, false); });
        arena.with_node(asm_node, [&](NcpNode& n) { n.add_depend_node(state, std::nullopt); });
        base.created_nodes.push_back(state);
        step.state_node_i = NcpRef(state);
        samples.push(arena.read_node(state, [](const NcpNode& n) { return n.get_cycle_used(); }));
    }

    // 2. Chain: each element starts on the exit of the one before.
    for (size_t i = 1; i < elements.size(); ++i) {
        add_depend(arena, elements[i], exit_of(arena, elements[i - 1]));
    }
    // 3. An internal start launches the first element too.
    if (base.triggers.int_start_node) {
        add_depend(arena, elements[0], arena.ident_of(*base.triggers.int_start_node));
        samples.push(IN_CONSIST_CYCLE_USED);
    }

    // 4. Assign. The first element's entry nodes get their last depend from the enclosing block.
    for (size_t i = 0; i < elements.size(); ++i) {
        const SequenceEle& step = elements[i];
        if (step.is_sub_block) {
            if (i == 0) continue;
            for (const NcpIdent& entry : wrap_of(step).entry_nodes) {
                arena.assign_ncp_node(entry, false, true);
            }
            continue;
        }
        arena.assign_ncp_node(basic_state(arena, step), true, i != 0);
        arena.assign_asm_from_state_node(basic_asm(arena, step));
    }

    // A plain step takes its state's cycle; only a run of blocks that may all end at once can.
    bool at_once = std::all_of(elements.begin(), elements.end(), [&](const SequenceEle& e) {
        return e.is_sub_block && wrap_of(e).may_finish_at_once;
    });
    result = NodeWrap(entries_of(arena, elements.front()), exit_of(arena, elements.back()),
                      samples.sum(), at_once);
}

}  // namespace velmora
