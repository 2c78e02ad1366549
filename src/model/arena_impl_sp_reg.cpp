// Factories of the control registers.
#include "model/hw_component/sp_reg/control_regs.h"
#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

template <class T>
T new_ctrl_reg(HwComponentType kind, std::string_view name, int32_t width,
               NameStore store = NameStore::Shared) {
    return T(HcpIdent::make(kind, sensitive_type_of(kind), false, name, store), width);
}

}  // namespace

HcpIdent ModelArena::make_state_reg(std::string_view name, NameStore store) {
    HcpIdent set = make_val(false, cat(name, "_SET"), 1, 1, store);
    HcpIdent unset = make_val(false, cat(name, "_UNSET"), 1, 0, store);
    auto reg = new_ctrl_reg<StateReg>(HwComponentType::StateReg, name, 1, store);
    reg.set_sig = set;
    reg.unset_sig = unset;
    return insert_hcp(std::move(reg), false);
}

HcpIdent ModelArena::make_sync_reg(std::string_view name, int32_t size) {
    if (size < 1) panic("SyncReg size must be positive");
    auto reg = new_ctrl_reg<SyncReg>(HwComponentType::SyncReg, name, size);
    reg.size = size;
    return insert_hcp(std::move(reg), false);
}

HcpIdent ModelArena::make_cnt_reg(std::string_view name, int32_t inc_val, int32_t max_cycle) {
    if (max_cycle < 0) panic("max_cycle must be positive");
    if (max_cycle == 0) panic("assertion failed: max_number > 0");
    if (inc_val <= 0) panic("inc_val must be positive");
    auto reg = new_ctrl_reg<CntReg>(HwComponentType::CntReg, name, cnt_reg_width(max_cycle));
    reg.inc_val = inc_val;
    reg.max_cycle = max_cycle;
    return insert_hcp(std::move(reg), false);
}

HcpIdent ModelArena::make_cond_wait_state_reg(std::string_view name, const HcpIdent& cond,
                                              Slice slice) {
    auto reg = new_ctrl_reg<CondWaitStateReg>(HwComponentType::CondWaitStateReg, name, 1);
    reg.cond = cond;
    reg.cond_slice = slice;
    return insert_hcp(std::move(reg), false);
}

HcpIdent ModelArena::make_cycle_wait_state_reg(std::string_view name, int32_t wait_cycle) {
    HcpIdent end_cnt =
        make_val(false, cat(name, "_END_CNT"), 1, static_cast<uint64_t>(wait_cycle) & 1u);
    if (wait_cycle < 1) panic("wait_cycle must be positive");
    int32_t cnt_width = cycle_wait_cnt_width(wait_cycle);
    auto reg =
        new_ctrl_reg<CycleWaitStateReg>(HwComponentType::CycleWaitStateReg, name, cnt_width + 1);
    reg.end_cnt = end_cnt;
    reg.end_source = CycleWaitEndSource::Internal;
    reg.wait_cycle = wait_cycle;
    reg.cnt_width = cnt_width;
    reg.full_width = cnt_width + 1;
    return insert_hcp(std::move(reg), false);
}

}  // namespace velmora
