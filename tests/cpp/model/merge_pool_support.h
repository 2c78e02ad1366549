#pragma once
// Metas for the merging pool tests: one basic event per meta, with its clocking chosen.
#include "model_test_support.h"

namespace velmora::testing {

class MergePoolTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        clk = bit("clk");
        clk2 = bit("clk2");
        src = arena.make_val(false, "v", 4, 3);
    }
    AssignMeta meta(const HcpIdent& des, int32_t priority = 10, ClockMode mode = ClockMode::PosEdge,
                    OptHcpIdent clock = {}) {
        if (!clock && (mode == ClockMode::PosEdge || mode == ClockMode::NegEdge)) clock = clk;
        AssignMeta m;
        m.des = des;
        m.first_ue = m.cur_ue =
            arena.make_ue_basic(src, {0, 4}, {0, 4}, priority, mode, false, clock);
        return m;
    }

    HcpIdent clk, clk2, src;
};

}  // namespace velmora::testing
