#include "model/flow_block/loop_body.h"

#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {

std::optional<std::string> LoopBody::refuse(const LoopTexts& texts) const {
    if (block) return std::string(texts.body_twice);
    return std::nullopt;
}

void LoopBody::attach(FlowBlockBase& base, const FlowBlockIdent& body, const LoopTexts& texts) {
    if (std::optional<std::string> problem = refuse(texts)) panic(*problem);
    block = body;
    base.push_sub_block(body);
}

const NodeWrap& LoopBody::summarize(const ModelArena& arena) {
    if (!block) panic("loop body is not set");
    wrap = arena.read_block(*block, [](const FlowBlock& b) { return b.summarize_as_block(); });
    (void)wrap->get_exit_node();
    return *wrap;
}

std::optional<std::string> check_loop_prefinalize(const FlowBlockBase& base, const LoopBody& body,
                                                  const LoopTexts& texts) {
    if (!body.block) return std::string(texts.body_count);
    if (!base.con_blocks_i.empty()) return std::string(texts.no_con_blocks);
    return std::nullopt;
}

LoopBack make_loop_back(ModelArena& arena, FlowBlockBase& base, const NodeWrap& body,
                        std::string_view prefix, std::optional<HcpIdent> cond) {
    if (!body.may_finish_at_once) return LoopBack{body.get_exit_node(), cond};
    NcpIdent back = adopt_node(
        arena, base, arena.make_state_node(cat(prefix, "_back_", base.ident.global_id())));
    add_depend(arena, back, body.get_exit_node(), cond);
    arena.assign_ncp_node(back, true, true);
    return LoopBack{back, std::nullopt};
}

}  // namespace velmora
