#pragma once
// A combinational priority arbiter among any number of leaves. Each leaf has a one-bit request, a
// one-bit acknowledge (grant) and a priority; the grant logic is generated at the flow build, once
// every leaf and the master acknowledge are known.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "model/common/ident.h"
#include "model/complex_hardware/arb_policy.h"
#include "model/complex_hardware/ccp_base.h"
#include "model/validate.h"

namespace velmora {

struct ArbLeaf {
    HcpIdent req;          // Wire "{arb}_REQ{i}", or a constant 1 for a Req-locked leaf
    HcpIdent ack;          // Wire "{arb}_ACK{i}", or a constant 1 for an Ack-locked leaf
    int32_t priority = 0;  // larger wins
    int32_t locked = 0;    // 1 for an Ack-locked leaf, which gets no grant logic
};

class Arb : public CcpBase {
public:
    HcpIdent mreq;
    OptHcpIdent master_ack;
    OptHcpIdent user_hold;
    OptHcpIdent user_reset;
    std::vector<ArbLeaf> leaves;
    ArbSamePriPolicy same_pri_policy = ArbSamePriPolicy::AckOne;
    /// The pipeline block this arbiter feeds, if any. It drives the master ack at its build, so
    /// the master ack is reserved for it from the moment the block is made.
    std::optional<FlowBlockIdent> pipeline;

    Arb(CcpIdent id, HcpIdent mreq_wire, ArbSamePriPolicy policy)
        : CcpBase(std::move(id)), mreq(std::move(mreq_wire)), same_pri_policy(policy) {}

    std::string_view name() const { return ident.ident_base.rel_view(); }

    // Why a change would be refused, as text naming the arbiter; nullopt when it is fine. The
    // setters below treat a refused change as an internal error.
    Problem hold_refusal() const;
    Problem reset_refusal() const;
    Problem master_ack_refusal() const;
    Problem lock_master_ack_refusal() const;
    Problem leaf_index_refusal(uint64_t index) const;
    /// Why a pipeline block could not be made on this arbiter.
    Problem pipeline_refusal() const;
    /// The master ack is reserved for the pipeline this arbiter feeds.
    Problem reserved_master_ack() const;

    void set_user_hold(const HcpIdent& hold, int32_t width);
    void set_user_reset(const HcpIdent& reset, int32_t width);
    void set_master_ack_src(const HcpIdent& src, int32_t width);
    void set_master_ack_locked(const HcpIdent& mack);
    const ArbLeaf& leaf(uint64_t index) const;
    /// Records the pipeline that will drive the master ack.
    void reserve_for_pipeline(const FlowBlockIdent& block);

    /// The master request and every grant (see arb_build.cpp).
    void build(ModelArena& arena) override;
};

/// Drives a one-bit arbiter signal (a request or a grant) from `src`: one always-on event of the
/// internal priority.
void drive_arb_signal(ModelArena& arena, const HcpIdent& wire, const HcpIdent& src);

}  // namespace velmora
