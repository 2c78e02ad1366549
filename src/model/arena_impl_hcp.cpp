// Factories of the plain components and expressions.
#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

HcpIdent new_hcp_ident(HwComponentType kind, bool is_user_com, std::string_view name,
                       NameStore store = NameStore::Shared) {
    return HcpIdent::make(kind, sensitive_type_of(kind), is_user_com, name, store);
}

Slice range_of(const ModelArena& arena, const HcpIdent& id, const OptSlice& s) {
    return s ? *s : arena.hcp_full_slice(id);
}

bool is_one_bit_result(LogicOp op) {
    switch (op) {
        case LogicOp::LogicalAnd:
        case LogicOp::LogicalOr:
        case LogicOp::RelationEq:
        case LogicOp::RelationNeq:
        case LogicOp::RelationLe:
        case LogicOp::RelationLeq:
        case LogicOp::RelationGe:
        case LogicOp::RelationGeq:
        case LogicOp::RelationSlt:
        case LogicOp::RelationSgt:
            return true;
        default:
            return false;
    }
}

bool is_operand_width_result(LogicOp op) {
    switch (op) {
        case LogicOp::BitwiseAnd:
        case LogicOp::BitwiseOr:
        case LogicOp::BitwiseXor:
        case LogicOp::BitwiseShl:
        case LogicOp::BitwiseShr:
        case LogicOp::ArithPlus:
        case LogicOp::ArithMinus:
        case LogicOp::ArithMul:
        case LogicOp::ArithDiv:
        case LogicOp::ArithDivr:
            return true;
        default:
            return false;
    }
}

}  // namespace

HcpIdent ModelArena::make_reg(bool is_user_com, std::string_view name, int32_t bit_width) {
    return insert_hcp(Reg(new_hcp_ident(HwComponentType::Reg, is_user_com, name), bit_width),
                      is_user_com);
}

HcpIdent ModelArena::make_wire(bool is_user_com, std::string_view name, int32_t bit_width) {
    return insert_hcp(Wire(new_hcp_ident(HwComponentType::Wire, is_user_com, name), bit_width),
                      is_user_com);
}

HcpIdent ModelArena::make_val(bool is_user_com, std::string_view name, int32_t bit_width,
                              uint64_t init, NameStore store) {
    Val v(new_hcp_ident(HwComponentType::Val, is_user_com, name, store), bit_width);
    v.value = VaryVal::from_u64(init, bit_width);
    return insert_hcp(std::move(v), is_user_com);
}

HcpIdent ModelArena::make_val_vv(bool is_user_com, std::string_view name, int32_t bit_width,
                                 std::vector<uint64_t> limbs) {
    Val v(new_hcp_ident(HwComponentType::Val, is_user_com, name), bit_width);
    v.value = VaryVal::from_limbs(std::move(limbs), bit_width);
    return insert_hcp(std::move(v), is_user_com);
}

HcpIdent ModelArena::make_mem_blk(bool is_user_com, std::string_view name, int32_t bit_width,
                                  int32_t index_width) {
    HcpIdent id = new_hcp_ident(HwComponentType::MemBlock, is_user_com, name);
    if (bit_width < 1) panic(cat("bit_width must be positive, got ", bit_width));
    if (index_width < 1) panic(cat("index_width must be positive, got ", index_width));
    MemBlk m(id, bit_width);
    m.index_width = index_width;
    return insert_hcp(std::move(m), is_user_com);
}

HcpIdent ModelArena::make_mem_ele(bool is_user_com, std::string_view name, const HcpIdent& master,
                                  const HcpIdent& index, int32_t bit_width, bool is_read) {
    if (bit_width < 1) panic(cat("bit_width must be positive, got ", bit_width));
    MemEle e(new_hcp_ident(HwComponentType::MemBlockIndexer, is_user_com, name), bit_width);
    e.master_mem_blk_i = master;
    e.index_ident = index;
    e.is_read = is_read;
    HcpIdent id = insert_hcp(std::move(e), is_user_com);
    with_hcp(master, [&](HcpBase& c) {
        if (auto* blk = dynamic_cast<MemBlk*>(&c)) blk->elements.push_back(id);
    });
    return id;
}

HcpIdent ModelArena::make_io_wire(bool is_user_com, std::string_view name, bool is_input,
                                  int32_t bit_width, OptHcpIdent agent_src,
                                  OptHcpIdent actual_src) {
    IoWire w(new_hcp_ident(HwComponentType::IoWire, is_user_com, name), bit_width);
    w.is_input = is_input;
    w.agent_src_signal_i = agent_src;
    w.actual_src_signal_i = actual_src;
    if (actual_src) {
        Slice full = hcp_full_slice(*actual_src);
        w.add_update_event(make_ue_basic(*actual_src, full, full, DEFAULT_UE_PRI_INTERNAL_MIN,
                                         ClockMode::ClkFree, false, std::nullopt));
    }
    return insert_hcp(std::move(w), is_user_com);
}

HcpIdent ModelArena::make_expression(bool is_user_com, std::string_view name, LogicOp op,
                                     const HcpIdent& a, const HcpIdent& b, OptSlice a_slice,
                                     OptSlice b_slice) {
    HcpIdent id = new_hcp_ident(HwComponentType::Expression, is_user_com, name);
    int32_t width = 0;
    if (is_one_bit_result(op)) {
        width = 1;
    } else if (is_operand_width_result(op)) {
        width = range_of(*this, a, a_slice).size();
    } else {
        panic(cat("Expression::new — unsupported op ", member_name(op), " for this constructor"));
    }
    Expression e(id, width);
    e.a = a;
    e.b = b;
    e.a_slice = a_slice;
    e.b_slice = b_slice;
    e.op = op;
    e.operator_form = true;
    return insert_hcp(std::move(e), is_user_com);
}

HcpIdent ModelArena::make_expression_single(bool is_user_com, std::string_view name, LogicOp op,
                                            const HcpIdent& a, OptSlice a_slice) {
    HcpIdent id = new_hcp_ident(HwComponentType::Expression, is_user_com, name);
    int32_t width = 0;
    if (op == LogicOp::BitwiseInvr || op == LogicOp::SliceBit) {
        width = range_of(*this, a, a_slice).size();
    } else if (op == LogicOp::LogicalNot) {
        width = 1;
    } else {
        panic(cat("Expression::new_single_operand — unsupported op ", member_name(op),
                  " for this constructor"));
    }
    Expression e(id, width);
    e.a = a;
    e.a_slice = a_slice;
    e.op = op;
    e.operator_form = true;
    return insert_hcp(std::move(e), is_user_com);
}

HcpIdent ModelArena::make_expression_constant(bool is_user_com, std::string_view name, LogicOp op,
                                              const HcpIdent& a, int32_t constant,
                                              OptSlice a_slice) {
    HcpIdent id = new_hcp_ident(HwComponentType::Expression, is_user_com, name);
    if (op != LogicOp::ExtendBit) {
        panic(cat("Expression::new_with_const — unsupported op ", member_name(op),
                  " for this constructor"));
    }
    Expression e(id, constant);
    e.a = a;
    e.a_slice = a_slice;
    e.op = op;
    e.operator_form = true;
    return insert_hcp(std::move(e), is_user_com);
}

HcpIdent ModelArena::make_expression_empty(std::string_view name, int32_t width) {
    Expression e(new_hcp_ident(HwComponentType::Expression, false, name), width);
    e.op = LogicOp::Assign;
    e.operator_form = false;
    return insert_hcp(std::move(e), false);
}

void ModelArena::fill_empty_expression(const HcpIdent& expr, const HcpIdent& src) {
    int32_t src_width = hcp_width(src);
    with_hcp(expr, [&](HcpBase& c) {
        auto& e = dynamic_cast<Expression&>(c);
        if (e.operator_form) panic("multiple expression assign detected");
        if (src_width != e.bit_width) {
            panic_eq("src expression assign wrapper doesn't cover entire expression",
                     std::to_string(src_width), std::to_string(e.bit_width));
        }
        e.a = src;
        e.a_slice = Slice{0, src_width};
        e.operator_form = true;
    });
}

HcpIdent ModelArena::resolve_cond_slice(std::string_view name, const HcpIdent& cond,
                                        OptSlice cond_slice) {
    if (cond_slice && cond_slice->is_valid() && cond_slice->size() < hcp_width(cond)) {
        return make_expression_single(false, cat(name, "_CONDSLICE"), LogicOp::SliceBit, cond,
                                      cond_slice);
    }
    return cond;
}

void ModelArena::set_reg_reset(const HcpIdent& reg, const HcpIdent& reset_val) {
    with_hcp(reg, [&](HcpBase& c) {
        auto* r = dynamic_cast<Reg*>(&c);
        if (r == nullptr) panic(cat("set_reg_reset: '", c.get_global_name(), "' is not a REG"));
        if (r->reset_val) panic("reset_val is set already");
        r->reset_val = reset_val;
    });
}

void ModelArena::set_wire_default(const HcpIdent& wire, const HcpIdent& default_val) {
    with_hcp(wire, [&](HcpBase& c) {
        auto* w = dynamic_cast<Wire*>(&c);
        if (w == nullptr) {
            panic(cat("set_wire_default: '", c.get_global_name(), "' is not a WIRE"));
        }
        if (w->default_val) panic("default_val is set already");
        if (!w->has_default) panic("cannot set default_val on a no-default wire");
        w->default_val = default_val;
    });
}

}  // namespace velmora
