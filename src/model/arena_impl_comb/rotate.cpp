// Rotation of a signal's range by a fixed amount: (x << k) | (x >> (m - k)) over m bits.
#include "common/user_error.h"
#include "model/arena_impl_comb/comb_checks.h"
#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {

OptHcpIdent ModelArena::gen_rotate(std::string_view op_name, std::string_view name,
                                   const HcpIdent& sig, OptSlice sig_slice, int64_t amount,
                                   std::optional<int32_t> width) {
    Slice range = sig_slice && sig_slice->is_valid() ? *sig_slice : hcp_full_slice(sig);
    if (Problem p = check_rotate_width(op_name, width, range.size())) fail_user(*p);
    int64_t m = width.value_or(range.size());
    if (m < 1) panic(cat(op_name, ": '", sig.abs_name(), "' has no bits to rotate"));
    int64_t k = ((amount % m) + m) % m;
    if (k == 0) return std::nullopt;
    // A narrower rotation turns the low m bits of the range and yields m bits.
    Slice low{range.start, range.start + static_cast<int32_t>(m)};
    int32_t full = hcp_width(sig);
    std::string const_name = cat(name, "_c");
    HcpIdent by = make_val(true, const_name, full, static_cast<uint64_t>(k));
    HcpIdent back_by = make_val(true, const_name, full, static_cast<uint64_t>(m - k));
    HcpIdent shl =
        make_expression(true, cat(name, "_shl"), LogicOp::BitwiseShl, sig, by, low, std::nullopt);
    HcpIdent shr = make_expression(true, cat(name, "_shr"), LogicOp::BitwiseShr, sig, back_by, low,
                                   std::nullopt);
    return make_expression(true, name, LogicOp::BitwiseOr, shl, shr, std::nullopt, std::nullopt);
}

}  // namespace velmora
