// Update event factories and the user assignment path.
#include "model/controller/asm_priority.h"
#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {

UpdateEventIdent ModelArena::make_ue_basic(const HcpIdent& src, Slice des_slice, Slice src_slice,
                                           int32_t priority, ClockMode clk_mode,
                                           bool use_current_priority, OptHcpIdent clk_src) {
    if (des_slice.size() != src_slice.size()) {
        panic("assertion failed: self.is_size_in_range_rel(b.get_size())");
    }
    if (clk_mode == ClockMode::ClkFree && clk_src) {
        panic("make_ue_*: clk_src must be None when clk_mode is ClkFree");
    }
    UeBasic ue;
    ue.ident = UpdateEventIdent::make(UeType::Basic);
    ue.common.clk_src = std::move(clk_src);
    ue.common.priority = use_current_priority ? current_asm_priority() : priority;
    ue.common.type = UeType::Basic;
    ue.common.clk_mode = clk_mode;
    ue.src = src;
    ue.des_slice = des_slice;
    ue.src_slice = src_slice;
    return insert_ue(std::move(ue));
}

UpdateEventIdent ModelArena::make_ue_full(OptHcpIdent add_cond, OptHcpIdent dis_cond,
                                          const HcpIdent& src, Slice des_slice, Slice src_slice,
                                          int32_t priority, ClockMode clk_mode,
                                          bool use_current_priority, OptHcpIdent clk_src) {
    UpdateEventIdent basic = make_ue_basic(src, des_slice, src_slice, priority, clk_mode,
                                           use_current_priority, std::move(clk_src));
    if (!add_cond && !dis_cond) return basic;
    return make_ue_add_dis(std::move(add_cond), std::move(dis_cond), basic);
}

UpdateEventIdent ModelArena::make_ue_add_dis(OptHcpIdent add_cond, OptHcpIdent dis_cond,
                                             const UpdateEventIdent& inner) {
    HcpIdent cond;
    if (add_cond && dis_cond) {
        cond = make_expression(false, "cond_dis_expr", LogicOp::BitwiseAnd, *add_cond, *dis_cond,
                               Slice{0, 1}, Slice{0, 1});
    } else if (add_cond) {
        cond = *add_cond;
    } else if (dis_cond) {
        cond = *dis_cond;
    } else {
        panic("internal error: entered unreachable code");
    }
    UeCommon inner_common = get_ue_common(inner);
    UeCond ue;
    ue.ident = UpdateEventIdent::make(UeType::Cond);
    ue.common.priority = inner_common.priority;
    ue.common.clk_mode = inner_common.clk_mode;
    ue.common.clk_src = inner_common.clk_src;
    ue.common.type = UeType::Cond;
    ue.push_branch(cond, inner);
    return insert_ue(std::move(ue));
}

UpdateEventIdent ModelArena::make_ue_mux(const UpdateEventIdent& left,
                                         const UpdateEventIdent& right, const HcpIdent& cond) {
    UeCommon l = get_ue_common(left);
    UeCommon r = get_ue_common(right);
    if (l.priority != r.priority) {
        panic_eq("make_ue_mux: left/right operands must share priority", std::to_string(l.priority),
                 std::to_string(r.priority));
    }
    if (l.clk_mode != ClockMode::ClkUnused) {
        panic_eq("make_ue_mux: left  operand must be ClkUnused",
                 std::string(member_name(l.clk_mode)), "ClkUnused");
    }
    if (r.clk_mode != ClockMode::ClkUnused) {
        panic_eq("make_ue_mux: right operand must be ClkUnused",
                 std::string(member_name(r.clk_mode)), "ClkUnused");
    }
    UeCond ue;
    ue.ident = UpdateEventIdent::make(UeType::Cond);
    ue.common.priority = l.priority;
    ue.common.clk_mode = ClockMode::ClkUnused;
    ue.common.type = UeType::Cond;
    ue.push_branch(cond, left);
    ue.push_branch(std::nullopt, right);
    return insert_ue(std::move(ue));
}

void ModelArena::set_ue_clk_src_deep(const UpdateEventIdent& ue, const OptHcpIdent& clk) {
    with_ue(ue, [&](auto& e) {
        e.common.clk_src = clk;
        using T = std::decay_t<decltype(e)>;
        if constexpr (!std::is_same_v<T, UeBasic>) {
            for (const UpdateEventIdent& i : e.ues) set_ue_clk_src_deep(i, clk);
        }
    });
}

SanitizedSrc ModelArena::sanitize_asm_src(const HcpIdent& des, const HcpIdent& src,
                                          OptSlice des_slice, int32_t src_start, int32_t src_stop) {
    int32_t c = (des_slice && des_slice->is_valid()) ? des_slice->size() : hcp_width(des);
    Slice range =
        (src_start >= 0 && src_start < src_stop) ? Slice{src_start, src_stop} : hcp_full_slice(src);
    int32_t h = range.size();
    SanitizedSrc out{src, range, 0, h, c};
    if (h < c) {
        out.src = make_expression_constant(false, cat(src.rel_name(), "_ext"), LogicOp::ExtendBit,
                                           src, c, range);
        out.src_slice = Slice{0, c};
        out.kind = 1;
    } else if (h > c) {
        out.src_slice = Slice{range.start, range.start + c};
        out.kind = 2;
    }
    return out;
}

SanitizedSrc ModelArena::gen_basic_assign(const HcpIdent& des, const HcpIdent& src,
                                          OptSlice src_slice, OptSlice des_slice) {
    Slice given = src_slice.value_or(Slice{-1, -1});
    SanitizedSrc fitted = sanitize_asm_src(des, src, des_slice, given.start, given.stop);
    NcpIdent node = with_hcp(des, [&](HcpBase& d) {
        return d.do_asm(*this, fitted.src, des_slice, fitted.src_slice.start,
                        fitted.src_slice.stop);
    });
    attach_basic_node_to_current_scope(node);
    return fitted;
}

}  // namespace velmora
