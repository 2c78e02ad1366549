#include "model/flow_block/single_body_block.h"

#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {

void SingleBodyBlock::add_element_in_flow_block(const ModelArena&, const NcpIdent&) {
    panic(std::string(texts().no_direct_nodes));
}

void SingleBodyBlock::add_sub_flow_block(const ModelArena&, const FlowBlockIdent& block) {
    if (!base.sub_blocks_i.empty()) panic(std::string(texts().second_body));
    base.push_sub_block(block);
}

std::optional<std::string> SingleBodyBlock::check_sub_block(const ModelArena& arena,
                                                            const FlowBlock& child) const {
    const FlowBlockIdent* body = base.sub_blocks_i.empty() ? nullptr : &base.sub_blocks_i.front();
    return check_body(arena, body, child);
}

std::optional<std::string> SingleBodyBlock::check_sub_block_after(const ModelArena& arena,
                                                                  const FlowBlockIdent& pending,
                                                                  const FlowBlock& child) const {
    const FlowBlockIdent* body = base.sub_blocks_i.empty() ? &pending : &base.sub_blocks_i.front();
    return check_body(arena, body, child);
}

std::optional<std::string> SingleBodyBlock::check_body(const ModelArena& arena,
                                                       const FlowBlockIdent* body,
                                                       const FlowBlock& child) const {
    if (child.get_ident().join_policy == FlowBlockJoinPolicy::BasicNodeFlow) {
        return refuse_child(*this, child,
                            cat("a zero-cycle block cannot be the body of a ", noun(),
                                ", whose body takes cycles; put the ", child.noun(),
                                " inside a seq and make the seq the body"));
    }
    if (body != nullptr) {
        std::string label = arena.read_block(*body, block_label);
        return refuse_child(
            *this, child,
            cat(texts().second_body, " (", label, "); put the steps of the body in one seq"));
    }
    return std::nullopt;
}

std::optional<std::string> SingleBodyBlock::check_basic_node() const {
    return cat(block_label(*this), " cannot take an assignment: ", texts().no_direct_nodes);
}

std::optional<std::string> SingleBodyBlock::check_prefinalize() const {
    if (base.sub_blocks_i.empty()) return std::string(texts().no_body);
    return std::nullopt;
}

NodeWrap SingleBodyBlock::summarize_body(const ModelArena& arena) const {
    if (base.sub_blocks_i.empty()) panic(std::string(texts().no_body_at_build));
    return arena.read_block(base.sub_blocks_i.front(),
                            [](const FlowBlock& b) { return b.summarize_as_block(); });
}

}  // namespace velmora
