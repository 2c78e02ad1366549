// The arena's operations on arbiters: creation, leaves, master acknowledge, hold and reset.
#include "model/complex_hardware/arb.h"
#include "model/model_store.h"
#include "model/typed_access.h"
#include "util/str_cat.h"

namespace velmora {

CcpIdent ModelArena::make_arb(std::string_view name, ArbSamePriPolicy policy) {
    HcpIdent mreq = make_wire(true, cat(name, "_MREQ"), 1);
    Arb arb(CcpIdent::make(CcpType::Arb, true, name), mreq, policy);
    return insert_ccp(std::move(arb));
}

uint64_t ModelArena::arb_add_leaf(const CcpIdent& arb_i, int32_t priority) {
    return with_ccp_as<Arb>(*this, arb_i, [&](Arb& arb) {
        uint64_t index = arb.leaves.size();
        HcpIdent req = make_wire(true, cat(arb.name(), "_REQ", index), 1);
        HcpIdent ack = make_wire(true, cat(arb.name(), "_ACK", index), 1);
        arb.leaves.push_back(ArbLeaf{req, ack, priority, 0});
        return index;
    });
}

uint64_t ModelArena::arb_add_leaf_locked(const CcpIdent& arb_i, int32_t priority,
                                         ArbLockedChannel channel) {
    return with_ccp_as<Arb>(*this, arb_i, [&](Arb& arb) {
        uint64_t index = arb.leaves.size();
        std::string req_name = cat(arb.name(), "_REQ", index);
        std::string ack_name = cat(arb.name(), "_ACK", index);
        bool req_locked = channel == ArbLockedChannel::Req;
        HcpIdent req = req_locked ? make_val(true, req_name, 1, 1) : make_wire(true, req_name, 1);
        HcpIdent ack = req_locked ? make_wire(true, ack_name, 1) : make_val(true, ack_name, 1, 1);
        arb.leaves.push_back(ArbLeaf{req, ack, priority, static_cast<int32_t>(channel)});
        return index;
    });
}

void ModelArena::arb_set_master_ack(const CcpIdent& arb_i, const HcpIdent& src,
                                    OptSlice src_slice) {
    std::string_view name = read_ccp_as<Arb>(*this, arb_i, [](const Arb& a) {
        // The pipeline an arbiter feeds sets the master ack itself (arb_set_master_ack_src).
        if (Problem p = a.reserved_master_ack()) panic(*p);
        return a.name();
    });
    HcpIdent resolved = resolve_cond_slice(cat(name, "_mack"), src, src_slice);
    arb_set_master_ack_src(arb_i, resolved);
}

void ModelArena::arb_set_master_ack_src(const CcpIdent& arb_i, const HcpIdent& src) {
    int32_t width = hcp_width(src);
    with_ccp_as<Arb>(*this, arb_i, [&](Arb& arb) { arb.set_master_ack_src(src, width); });
}

void ModelArena::arb_lock_master_ack(const CcpIdent& arb_i) {
    with_ccp_as<Arb>(*this, arb_i, [&](Arb& arb) {
        if (Problem p = arb.reserved_master_ack()) panic(*p);
        arb.set_master_ack_locked(make_val(true, cat(arb.name(), "_MACK"), 1, 1));
    });
}

void ModelArena::arb_set_hold(const CcpIdent& arb_i, const HcpIdent& cond, OptSlice cond_slice) {
    std::string_view name = read_ccp_as<Arb>(*this, arb_i, [](const Arb& a) { return a.name(); });
    HcpIdent resolved = resolve_cond_slice(cat(name, "_hold"), cond, cond_slice);
    int32_t width = hcp_width(resolved);
    with_ccp_as<Arb>(*this, arb_i, [&](Arb& arb) { arb.set_user_hold(resolved, width); });
}

void ModelArena::arb_set_reset(const CcpIdent& arb_i, const HcpIdent& cond, OptSlice cond_slice) {
    std::string_view name = read_ccp_as<Arb>(*this, arb_i, [](const Arb& a) { return a.name(); });
    HcpIdent resolved = resolve_cond_slice(cat(name, "_reset"), cond, cond_slice);
    int32_t width = hcp_width(resolved);
    with_ccp_as<Arb>(*this, arb_i, [&](Arb& arb) { arb.set_user_reset(resolved, width); });
}

uint64_t ModelArena::arb_leaf_count(const CcpIdent& arb_i) const {
    return read_ccp_as<Arb>(*this, arb_i, [](const Arb& a) { return uint64_t(a.leaves.size()); });
}

HcpIdent ModelArena::arb_get_master_req_wire(const CcpIdent& arb_i) const {
    return read_ccp_as<Arb>(*this, arb_i, [](const Arb& a) { return a.mreq; });
}

HcpIdent ModelArena::arb_get_leaf_req_wire(const CcpIdent& arb_i, uint64_t index) const {
    return read_ccp_as<Arb>(*this, arb_i, [&](const Arb& a) { return a.leaf(index).req; });
}

HcpIdent ModelArena::arb_get_leaf_ack_wire(const CcpIdent& arb_i, uint64_t index) const {
    return read_ccp_as<Arb>(*this, arb_i, [&](const Arb& a) { return a.leaf(index).ack; });
}

}  // namespace velmora
