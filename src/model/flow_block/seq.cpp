// A sequence: each element takes its own cycles; a plain assignment becomes one state.
#include "model/flow_block/seq.h"

#include <algorithm>

#include "model/flow_block/cycle_samples.h"
#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

using Block = SequenceEle::Block;
using Basic = SequenceEle::Basic;

const NcpIdent& basic_state(const Basic& b) {
    if (!b.state_node_i) panic("state_node_i not generated");
    return *b.state_node_i;
}

const NcpIdent& basic_asm(const Basic& b) {
    if (!b.asm_node_i) {
        panic(
            "SequenceEle::Basic: asm_node_i unresolved (add_node forgot the AsmNode, or "
            "add_basic_block's block has no summary)");
    }
    return *b.asm_node_i;
}

NcpIdent exit_of(const SequenceEle& e) {
    if (auto* blk = std::get_if<Block>(&e.ele)) return blk->wrap.value().get_exit_node();
    return basic_state(std::get<Basic>(e.ele));
}

std::vector<NcpIdent> entries_of(const SequenceEle& e) {
    if (auto* blk = std::get_if<Block>(&e.ele)) return blk->wrap.value().entry_nodes;
    return {basic_state(std::get<Basic>(e.ele))};
}

void add_depend(ModelArena& arena, const SequenceEle& e, const NcpIdent& on) {
    for (const NcpIdent& entry : entries_of(e)) {
        arena.with_node(entry, [&](NcpNode& n) { n.add_depend_node(on, std::nullopt); });
    }
}

}  // namespace

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
    schematic.elements.push_back(SequenceEle{Basic{node, std::nullopt, std::nullopt}});
}

void FlowBlockSeq::add_sub_flow_block(const ModelArena&, const FlowBlockIdent& block) {
    switch (block.join_policy) {
        case FlowBlockJoinPolicy::SubFlow:
            schematic.elements.push_back(SequenceEle{Block{block, std::nullopt}});
            break;
        case FlowBlockJoinPolicy::BasicNodeFlow:
            schematic.elements.push_back(SequenceEle{Basic{std::nullopt, std::nullopt, block}});
            break;
        case FlowBlockJoinPolicy::ConFlow:
            panic(
                "FlowBlockSeq::add_sub_flow_block: ConFlow children are not allowed as "
                "sub-blocks of a seq");
    }
    base.push_sub_block(block);
}

void SeqSchematic::build(ModelArena& arena, FlowBlockBase& base) {
    if (std::optional<std::string> problem = check_plain_block(base, "seq")) panic(*problem);
    const uint64_t id = base.ident.global_id();
    CycleSamples samples;

    // 1. Summaries of sub blocks, one state per assignment step.
    for (size_t i = 0; i < elements.size(); ++i) {
        if (auto* blk = std::get_if<Block>(&elements[i].ele)) {
            blk->wrap = arena.read_block(blk->block,
                                         [](const FlowBlock& b) { return b.summarize_as_block(); });
            samples.push(blk->wrap->cycle);
            continue;
        }
        Basic& basic = std::get<Basic>(elements[i].ele);
        if (basic.from_block) {
            NcpIdent node = arena.read_block(
                *basic.from_block, [](const FlowBlock& b) { return b.summarize_as_node(); });
            if (node.node_type != NodeType::Asm) {
                panic(
                    "SequenceEle::Basic: summarize_as_node must yield an AsmNode for "
                    "BasicNodeFlow sub-block");
            }
            basic.asm_node_i = node;
        }
        const NcpIdent asm_node = basic_asm(basic);
        NcpIdent state = arena.make_state_node(cat("seq_state_", id, "_", i));
        arena.with_node(state, [&](NcpNode& n) { n.fill_ext_node(base.triggers, false); });
        arena.with_node(asm_node, [&](NcpNode& n) { n.add_depend_node(state, std::nullopt); });
        base.created_nodes.push_back(state);
        basic.state_node_i = state;
        samples.push(arena.read_node(state, [](const NcpNode& n) { return n.get_cycle_used(); }));
    }

    // 2. Chain: each element starts on the exit of the one before.
    for (size_t i = 1; i < elements.size(); ++i) {
        add_depend(arena, elements[i], exit_of(elements[i - 1]));
    }
    // 3. An internal start launches the first element too.
    if (base.triggers.int_start_node) {
        add_depend(arena, elements[0], arena.ident_of(*base.triggers.int_start_node));
        samples.push(IN_CONSIST_CYCLE_USED);
    }

    // 4. Assign. The first element's entry nodes get their last depend from the enclosing block.
    for (size_t i = 0; i < elements.size(); ++i) {
        if (auto* blk = std::get_if<Block>(&elements[i].ele)) {
            if (i == 0) continue;
            for (const NcpIdent& entry : blk->wrap->entry_nodes) {
                arena.assign_ncp_node(entry, false, true);
            }
            continue;
        }
        const Basic& basic = std::get<Basic>(elements[i].ele);
        arena.assign_ncp_node(basic_state(basic), true, i != 0);
        arena.assign_asm_from_state_node(basic_asm(basic));
    }

    // A plain step takes its state's cycle; only a run of blocks that may all end at once can.
    bool at_once = std::all_of(elements.begin(), elements.end(), [](const SequenceEle& e) {
        const auto* blk = std::get_if<Block>(&e.ele);
        return blk != nullptr && blk->wrap->may_finish_at_once;
    });
    result =
        NodeWrap(entries_of(elements.front()), exit_of(elements.back()), samples.sum(), at_once);
}

}  // namespace velmora
