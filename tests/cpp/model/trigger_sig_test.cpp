#include "model/typed_access.h"
#include "model_test_support.h"

namespace velmora::testing {
namespace {

class TriggerSigTest : public ModelTest {};

TEST_F(TriggerSigTest, push_depend_node_keeps_push_order) {
    TriggerSig sig;
    HcpIdent a = bit("a");
    HcpIdent b = bit("b");
    HcpIdent c = bit("c");
    sig.push_depend_node(a, c);
    sig.push_depend_node(b, std::nullopt);
    ASSERT_EQ(sig.depend_sigs_i.size(), 2u);
    EXPECT_EQ(sig.depend_sigs_i[0].first, a);
    EXPECT_EQ(sig.depend_sigs_i[0].second, c);
    EXPECT_EQ(sig.depend_sigs_i[1].first, b);
    EXPECT_FALSE(sig.depend_sigs_i[1].second.has_value());
}

TEST_F(TriggerSigTest, one_bit_signals_pass) {
    HcpIdent owner = arena.make_reg(false, "owner", 4);
    TriggerSig sig;
    sig.hold_sig_i = bit("h");
    sig.clk_sig_i = bit("clk");
    sig.push_depend_node(bit("a"), bit("c"));
    EXPECT_NO_THROW(sig.integrity_check("owner", arena, owner, 4));
}

enum class Slot { Hold, IntReset, IntStart, Mrst, Clk, Activation, Condition };

class TriggerSigWideSignal : public ModelTest, public ::testing::WithParamInterface<Slot> {};

TEST_P(TriggerSigWideSignal, every_slot_reports_the_wide_signal) {
    HcpIdent owner = arena.make_reg(false, "owner", 1);
    HcpIdent wide = arena.make_wire(false, "wide", 3);
    TriggerSig sig;
    switch (GetParam()) {
        case Slot::Hold:
            sig.hold_sig_i = wide;
            break;
        case Slot::IntReset:
            sig.int_reset_sig_i = wide;
            break;
        case Slot::IntStart:
            sig.int_start_sig_i = wide;
            break;
        case Slot::Mrst:
            sig.mrst_sig_i = wide;
            break;
        case Slot::Clk:
            sig.clk_sig_i = wide;
            break;
        case Slot::Activation:
            sig.push_depend_node(wide, std::nullopt);
            break;
        case Slot::Condition:
            sig.push_depend_node(bit("a"), wide);
            break;
    }
    EXPECT_EQ(panic_message([&] { sig.integrity_check("my_owner", arena, owner, 1); }),
              cat("assertion `left == right` failed: 'my_owner': signal '", wide.abs_name(),
                  "' must be 1-bit, got 3\n  left: 3\n right: 1"));
}

INSTANTIATE_TEST_SUITE_P(Slots, TriggerSigWideSignal,
                         ::testing::Values(Slot::Hold, Slot::IntReset, Slot::IntStart, Slot::Mrst,
                                           Slot::Clk, Slot::Activation, Slot::Condition));

TEST_F(TriggerSigTest, owner_taken_out_is_checked_with_the_given_width) {
    // The register is out of its slot while its events are built: the arena cannot be asked for
    // its width, so the check takes the width it is given.
    HcpIdent reg = arena.make_state_reg("s");
    with_hcp_as<StateReg>(arena, reg, [&](StateReg& r) {
        TriggerSig sig;
        sig.hold_sig_i = reg;
        EXPECT_NE(panic_message([&] { arena.hcp_width(reg); }), "");
        EXPECT_NO_THROW(sig.integrity_check("s", arena, reg, r.bit_width));
        EXPECT_NE(panic_message([&] { sig.integrity_check("s", arena, reg, 2); }), "");
    });
}

TEST_F(TriggerSigTest, state_reg_held_by_itself_builds) {
    HcpIdent reg = arena.make_state_reg("s");
    with_hcp_as<StateReg>(arena, reg, [&](StateReg& r) {
        r.trigger_sig.hold_sig_i = reg;
        r.trigger_sig.clk_sig_i = bit("clk");
        EXPECT_NO_THROW(r.build_update_event(arena));
    });
}

}  // namespace
}  // namespace velmora::testing
