#include "model/flow_block/zero_switch.h"

#include "model/flow_block/zero_switch_case.h"
#include "model/hw_component/common/asm_meta_helper/switch_pool.h"
#include "model/model_store.h"
#include "model/typed_access.h"
#include "model/validate.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

constexpr const char* kOnlyCases = "zero-switch sub blocks must be ZeroSwitchCase";

}  // namespace

FlowBlockZeroSwitch FlowBlockZeroSwitch::make(std::string_view name, const HcpIdent& selector) {
    FlowBlockZeroSwitch b;
    b.base = FlowBlockBase::make(FlowBlockType::ZeroSwitch, FlowBlockJoinPolicy::BasicNodeFlow,
                                 name, false);
    b.selector = selector;
    return b;
}

FlowBlockIdent ModelArena::make_flow_block_zstate(std::string_view name, const HcpIdent& state) {
    return insert_block(FlowBlockZeroSwitch::make(name, state));
}

void FlowBlockZeroSwitch::add_element_in_flow_block(const ModelArena&, const NcpIdent&) {
    panic("FlowBlockZeroSwitch add_element_in_flow_block shouldn't be called!");
}

void FlowBlockZeroSwitch::add_sub_flow_block(const ModelArena& arena, const FlowBlockIdent& block) {
    if (block.block_type != FlowBlockType::ZeroSwitchCase) panic(kOnlyCases);
    auto [value, filled] = read_block_as<FlowBlockZeroSwitchCase>(
        arena, block,
        [](const FlowBlockZeroSwitchCase& c) { return std::pair(c.match_val, c.has_content()); });
    case_of_value.try_emplace(value, block);
    any_case_assigns = any_case_assigns || filled;
    base.push_sub_block(block);
}

void FlowBlockZeroSwitch::add_con_flow_block(const ModelArena&, const FlowBlockIdent&) {
    panic("FlowBlockZeroSwitch add_con_flow_block shouldn't be called!");
}

std::optional<std::string> FlowBlockZeroSwitch::check_sub_block(const ModelArena& arena,
                                                                const FlowBlock& child) const {
    if (child.get_ident().block_type != FlowBlockType::ZeroSwitchCase) {
        return refuse_child(*this, child, cat(kOnlyCases, "; a zstate holds only zcase blocks"));
    }
    const int32_t value = dynamic_cast<const FlowBlockZeroSwitchCase&>(child).match_val;
    if (std::optional<std::string> p = check_zcase_match_val(value)) {
        return refuse_child(*this, child, *p);
    }
    const int32_t width = arena.hcp_width(selector);
    if (width < 31 && value >= (int32_t{1} << width)) {
        return refuse_child(
            *this, child,
            cat("match value ", value, " can never match: the selector ", selector.abs_name(),
                " has ", width, " bits (values 0 to ", (int32_t{1} << width) - 1, ")"));
    }
    auto earlier = case_of_value.find(value);
    if (earlier != case_of_value.end()) {
        std::string first = arena.read_block(earlier->second, block_label);
        return refuse_child(*this, child,
                            cat("match value ", value, " repeats ", first,
                                ", and only the first case of a value can ever run"));
    }
    return std::nullopt;
}

std::optional<std::string> FlowBlockZeroSwitch::check_basic_node() const {
    return cat(block_label(*this),
               " cannot take an assignment: a zstate holds only zcase blocks; make the "
               "assignment inside a zcase");
}

std::optional<std::string> FlowBlockZeroSwitch::check_prefinalize() const {
    if (base.sub_blocks_i.empty()) {
        return cat(block_label(*this), " has no zcase: give it at least one zcase");
    }
    if (!any_case_assigns) {
        return cat(block_label(*this),
                   " has no assignment in any of its zcase blocks: give a case an assignment, or "
                   "leave the zstate out");
    }
    return std::nullopt;
}

NcpIdent FlowBlockZeroSwitch::summarize_as_node() const {
    if (!result) panic("zero-switch has not been built yet");
    return *result;
}

void FlowBlockZeroSwitch::build_hw_component(ModelArena& arena) {
    AssignMetaSwitchPool pool(selector);
    for (const FlowBlockIdent& b : base.sub_blocks_i) {
        check_assert(b.block_type == FlowBlockType::ZeroSwitchCase,
                     "b.block_type == FlowBlockType::ZeroSwitchCase");
        with_block_as<FlowBlockZeroSwitchCase>(arena, b, [&](FlowBlockZeroSwitchCase& c) {
            pool.insert(c.match_val, c.unified_metas, arena);
        });
    }
    result = arena.make_asm_node_many(cat("zsw_result_", base.ident.global_id()),
                                      pool.build_unified(arena));
    // Placed in a sequence, the node is guarded like a plain assignment: held with the block.
    arena.with_node(*result, [&](NcpNode& n) { n.fill_ext_node(base.triggers, false); });
}

}  // namespace velmora
