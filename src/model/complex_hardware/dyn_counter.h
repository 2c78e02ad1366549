#pragma once
// An accumulator register to which any number of additions, each optionally enabled by a 1-bit
// signal, are chained within one step of the flow; update commits the chained sum into the
// register as one ordinary assignment. Its hardware is made at each operation.
#include <cstdint>
#include <optional>
#include <string_view>

#include "model/complex_hardware/ccp_base.h"
#include "model/validate.h"

namespace velmora {

class DynCounter : public CcpBase {
public:
    HcpIdent reg;         // "{name}_CNT"
    OptHcpIdent pending;  // the running sum since the last commit
    int32_t width = 0;
    uint32_t add_count = 0;  // adds so far, never reset: numbers "{cnt}_ADD{k}", "{cnt}_ST{k}"

    DynCounter(CcpIdent id, HcpIdent cnt_reg, int32_t bits)
        : CcpBase(std::move(id)), reg(std::move(cnt_reg)), width(bits) {}

    std::string_view name() const { return ident.ident_base.rel_view(); }
    /// The running sum, or the register when nothing is pending.
    const HcpIdent& now() const { return pending ? *pending : reg; }

    /// Chains one addition, enabled by a 1-bit `enable` when given; returns the new running sum.
    /// The sum is as wide as the counter: it wraps around.
    HcpIdent add(ModelArena& arena, const HcpIdent& addend, const OptHcpIdent& enable);
    /// "DynCounter update: nothing to commit — call add() first" when nothing is pending.
    Problem update_refusal() const;
    /// The running sum to commit; nothing is pending afterwards.
    HcpIdent take_pending();
};

}  // namespace velmora
