// The steps shared by the nodes that drive a control register.
#include "model/model_store.h"
#include "model/typed_access.h"

namespace velmora {

const HcpIdent& set_in_prelim(const OptHcpIdent& value, std::string_view missing) {
    if (!value) panic(std::string(missing));
    return *value;
}

template <class Reg>
void CtrlRegNode<Reg>::drive_register(ModelArena& arena, const HcpIdent& reg) const {
    TriggerSig sig = to_trigger_sig(arena);
    with_hcp_as<Reg>(arena, reg, [&](Reg& r) {
        r.trigger_sig = std::move(sig);
        r.build_update_event(arena);
    });
}

template <class Reg>
HcpIdent CtrlRegNode<Reg>::build_register_support(ModelArena& arena, const HcpIdent& reg,
                                                  OptHcpIdent Reg::*end,
                                                  std::string_view missing) const {
    OptHcpIdent signal = with_hcp_as<Reg>(arena, reg, [&](Reg& r) {
        r.build_support_signal(arena);
        return r.*end;
    });
    return set_in_prelim(signal, missing);
}

#define VELMORA_DRIVES(REG) \
    template void CtrlRegNode<REG>::drive_register(ModelArena&, const HcpIdent&) const;
#define VELMORA_BUILDS_SUPPORT(REG)                             \
    template HcpIdent CtrlRegNode<REG>::build_register_support( \
        ModelArena&, const HcpIdent&, OptHcpIdent REG::*, std::string_view) const;

VELMORA_DRIVES(StateReg)
VELMORA_DRIVES(SyncReg)
VELMORA_DRIVES(CondWaitStateReg)
VELMORA_DRIVES(CycleWaitStateReg)
VELMORA_DRIVES(CntReg)
// A state register has no support signals of its own.
VELMORA_BUILDS_SUPPORT(SyncReg)
VELMORA_BUILDS_SUPPORT(CondWaitStateReg)
VELMORA_BUILDS_SUPPORT(CycleWaitStateReg)
VELMORA_BUILDS_SUPPORT(CntReg)

#undef VELMORA_DRIVES
#undef VELMORA_BUILDS_SUPPORT

}  // namespace velmora
