// The arena's operations on dynamic counters.
#include "common/user_error.h"
#include "model/complex_hardware/dyn_counter.h"
#include "model/model_store.h"
#include "model/typed_access.h"
#include "util/str_cat.h"

namespace velmora {

CcpIdent ModelArena::make_dyn_counter(std::string_view name, int32_t width) {
    if (width < 1) panic(cat("DynCounter::new: width must be >= 1, got ", width));
    HcpIdent reg = make_reg(true, cat(name, "_CNT"), width);
    DynCounter cnt(CcpIdent::make(CcpType::DynCounter, true, name), reg, width);
    return insert_ccp(std::move(cnt));
}

HcpIdent ModelArena::dyn_counter_add(const CcpIdent& cnt_i, const HcpIdent& addend,
                                     OptSlice addend_slice, OptHcpIdent enable,
                                     OptSlice enable_slice) {
    std::string name(
        read_ccp_as<DynCounter>(*this, cnt_i, [](const DynCounter& c) { return c.name(); }));
    HcpIdent term = resolve_cond_slice(cat(name, "_addend"), addend, addend_slice);
    OptHcpIdent en;
    if (enable) en = resolve_cond_slice(cat(name, "_en"), *enable, enable_slice);
    return with_ccp_as<DynCounter>(*this, cnt_i,
                                   [&](DynCounter& c) { return c.add(*this, term, en); });
}

void ModelArena::dyn_counter_update(const CcpIdent& cnt_i) {
    Problem p = read_ccp_as<DynCounter>(*this, cnt_i,
                                        [](const DynCounter& c) { return c.update_refusal(); });
    if (p) fail_user(*p);
    auto [reg, sum] = with_ccp_as<DynCounter>(
        *this, cnt_i, [](DynCounter& c) { return std::make_pair(c.reg, c.take_pending()); });
    // An ordinary assignment at this point of the flow: it takes the block's clock and guards.
    gen_basic_assign(reg, sum, std::nullopt, std::nullopt);
}

HcpIdent ModelArena::dyn_counter_get_reg(const CcpIdent& cnt_i) const {
    return read_ccp_as<DynCounter>(*this, cnt_i, [](const DynCounter& c) { return c.reg; });
}

HcpIdent ModelArena::dyn_counter_get_now(const CcpIdent& cnt_i) const {
    return read_ccp_as<DynCounter>(*this, cnt_i, [](const DynCounter& c) { return c.now(); });
}

}  // namespace velmora
