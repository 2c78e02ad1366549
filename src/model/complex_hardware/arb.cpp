// The arbiter's record: its enumerations' names and the one-time settings with their refusals.
#include "model/complex_hardware/arb.h"

#include <string>

#include "common/internal_error.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

constexpr std::string_view kHoldTwice = "Arb::set_user_hold: user hold already set";
constexpr std::string_view kResetTwice = "Arb::set_user_reset: user reset already set";
constexpr std::string_view kMasterAckTwice = "Arb::set_master_ack_src: master ack already set";
constexpr std::string_view kLockTwice = "Arb::set_master_ack_locked: master ack already set";
constexpr std::string_view kOneMasterAck = "; an arbiter takes one master ack, set or locked once";

void check_one_bit(int32_t width, const char* message) {
    if (width != 1) panic_eq(message, std::to_string(width), "1");
}

}  // namespace

std::string_view member_name(ArbSamePriPolicy p) {
    static constexpr std::string_view k[] = {"AckOne", "AckAll", "NotAck"};
    return k[static_cast<int>(p)];
}

std::string_view member_name(ArbLockedChannel c) {
    static constexpr std::string_view k[] = {"Req", "Ack"};
    return k[static_cast<int>(c)];
}

Problem Arb::hold_refusal() const {
    if (!user_hold) return std::nullopt;
    return cat(kHoldTwice, " on ", ident.ident_base.abs_text(), "; an arbiter takes one user hold");
}

Problem Arb::reset_refusal() const {
    if (!user_reset) return std::nullopt;
    return cat(kResetTwice, " on ", ident.ident_base.abs_text(),
               "; an arbiter takes one user reset");
}

Problem Arb::master_ack_refusal() const {
    if (master_ack) return cat(kMasterAckTwice, " on ", ident.ident_base.abs_text(), kOneMasterAck);
    return reserved_master_ack();
}

Problem Arb::lock_master_ack_refusal() const {
    if (master_ack) return cat(kLockTwice, " on ", ident.ident_base.abs_text(), kOneMasterAck);
    return reserved_master_ack();
}

Problem Arb::reserved_master_ack() const {
    if (!pipeline) return std::nullopt;
    return cat("the master ack of ", ident.ident_base.abs_text(), " is driven by pipeline ",
               pipeline->ident_base.abs_text(),
               ", which lets the arbiter grant only when it can take an item; an arbiter that "
               "feeds a pipeline takes no master ack of its own");
}

Problem Arb::pipeline_refusal() const {
    if (pipeline) {
        return cat(ident.ident_base.abs_text(), " already feeds pipeline ",
                   pipeline->ident_base.abs_text(),
                   "; an arbiter feeds one pipeline (give the second pipeline an arbiter of its "
                   "own)");
    }
    if (master_ack) {
        return cat("the master ack of ", ident.ident_base.abs_text(),
                   " is already set or locked; a pipeline drives its arbiter's master ack itself, "
                   "so leave it unset on an arbiter that feeds a pipeline");
    }
    return std::nullopt;
}

Problem Arb::leaf_index_refusal(uint64_t index) const {
    if (index < leaves.size()) return std::nullopt;
    if (leaves.empty()) {
        return cat("leaf index ", index, " is out of range for ", ident.ident_base.abs_text(),
                   ", which has no leaves yet");
    }
    return cat("leaf index ", index, " is out of range for ", ident.ident_base.abs_text(),
               ", which has ", leaves.size(), " leaves (0 to ", leaves.size() - 1, ")");
}

// The already-set check comes before the width check in each setter.
void Arb::set_user_hold(const HcpIdent& hold, int32_t width) {
    if (user_hold) panic(std::string(kHoldTwice));
    check_one_bit(width, "Arb::set_user_hold: hold signal must be 1 bit");
    user_hold = hold;
}

void Arb::set_user_reset(const HcpIdent& reset, int32_t width) {
    if (user_reset) panic(std::string(kResetTwice));
    check_one_bit(width, "Arb::set_user_reset: reset signal must be 1 bit");
    user_reset = reset;
}

void Arb::set_master_ack_src(const HcpIdent& src, int32_t width) {
    if (master_ack) panic(std::string(kMasterAckTwice));
    check_one_bit(width, "Arb::set_master_ack_src: master ack source must be 1 bit");
    master_ack = src;
}

void Arb::set_master_ack_locked(const HcpIdent& mack) {
    if (master_ack) panic(std::string(kLockTwice));
    master_ack = mack;
}

void Arb::reserve_for_pipeline(const FlowBlockIdent& block) {
    if (Problem p = pipeline_refusal()) panic(*p);
    pipeline = block;
}

const ArbLeaf& Arb::leaf(uint64_t index) const {
    if (Problem p = leaf_index_refusal(index)) panic(*p);
    return leaves[index];
}

}  // namespace velmora
