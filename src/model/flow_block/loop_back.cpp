#include "model/flow_block/loop_back.h"

#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {

LoopBack make_loop_back(ModelArena& arena, FlowBlockBase& base, const NodeWrap& body,
                        std::string_view prefix, OptHcpIdent cond) {
    if (!body.may_finish_at_once) return LoopBack{body.get_exit_node(), cond};
    NcpIdent back = adopt_node(
        arena, base, arena.make_state_node(cat(prefix, "_back_", base.ident.global_id())));
    add_depend(arena, back, body.get_exit_node(), cond);
    arena.assign_ncp_node(back, true, true);
    return LoopBack{back, std::nullopt, true};
}

std::optional<std::string> check_loop_prefinalize(const FlowBlockBase& base,
                                                  std::string_view no_body,
                                                  std::string_view no_con_blocks) {
    if (base.sub_blocks_i.empty()) return std::string(no_body);
    if (!base.con_blocks_i.empty()) return std::string(no_con_blocks);
    return std::nullopt;
}

}  // namespace velmora
