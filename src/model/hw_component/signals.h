#pragma once
// Plain hardware components: registers, wires, constants, IO wires and memories.
#include <optional>
#include <string>

#include "model/hw_component/hcp_base.h"
#include "util/vary_val.h"

namespace velmora {

class Reg : public HcpBase {
public:
    using HcpBase::HcpBase;
    OptHcpIdent reset_val;
    std::optional<ClockMode> reset_clk_mode;  // absent counts as ClkFree

    /// Appends the reset event (source reset_val, condition `reset`) when a reset value is set.
    void try_build_reset(ModelArena& arena, const HcpIdent& clock, const HcpIdent& reset);
};

class Wire : public HcpBase {
public:
    using HcpBase::HcpBase;
    OptHcpIdent default_val;
    bool has_default = true;
    OptUeIdent default_ue;  // set by try_build_default

    ClockMode retrieve_clk_mode() const override { return ClockMode::ClkFree; }
    /// Appends the priority-0 default event (a "{}_DEFAULT_ZERO" constant when no default is set).
    void try_build_default(ModelArena& arena);
    /// Sorts as every pool does, then puts the default event first: it is written first and so
    /// loses to every assignment, whatever their priorities (a manual priority may be 0 or less).
    void sort_events(const ModelArena& arena) override;
    void disable_default();
};

class Val : public HcpBase {
public:
    using HcpBase::HcpBase;
    VaryVal value;

    ClockMode retrieve_clk_mode() const override { return ClockMode::ClkFree; }
    NcpIdent do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) override;
    UpdateEventIdent gen_update_event(ModelArena&, const HcpIdent&, OptSlice, int32_t,
                                      int32_t) override;
    AssignMeta gen_asm_meta(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) override;
};

class IoWire : public HcpBase {
public:
    using HcpBase::HcpBase;
    OptHcpIdent agent_src_signal_i;
    OptHcpIdent actual_src_signal_i;
    std::optional<std::string> port_name;
    bool is_input = false;

    ClockMode retrieve_clk_mode() const override { return ClockMode::ClkFree; }
    NcpIdent do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) override;
};

class MemBlk : public HcpBase {
public:
    using HcpBase::HcpBase;
    std::vector<HcpIdent> elements;
    int32_t index_width = 0;

    [[noreturn]] static void refuse();
    int32_t get_priority() const override { refuse(); }
    Slice get_des_slice() const override { refuse(); }
    ClockMode retrieve_clk_mode() const override { refuse(); }
    NcpIdent do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) override { refuse(); }
    UpdateEventIdent gen_update_event(ModelArena&, const HcpIdent&, OptSlice, int32_t,
                                      int32_t) override {
        refuse();
    }
    UpdateEventIdent gen_update_event_with_pri(ModelArena&, const HcpIdent&, OptSlice, int32_t,
                                               int32_t, int32_t, ClockMode) override {
        refuse();
    }
    AssignMeta gen_asm_meta(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) override {
        refuse();
    }
    NcpIdent gen_asm_node(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) override {
        refuse();
    }
    void bind_src(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t, std::optional<int32_t>,
                  std::optional<ClockMode>, OptHcpIdent) override {
        refuse();
    }
};

class MemEle : public HcpBase {
public:
    using HcpBase::HcpBase;
    HcpIdent master_mem_blk_i;
    HcpIdent index_ident;
    bool is_read = false;

    /// Besides its pool's sources, an element reads its index and its memory block, so routing
    /// brings an index from another module in through ports.
    void gather_dep_hcps(const ModelArena& arena, HcpIdentSet& out) const override;
    void remap_dep_hcps(ModelArena& arena, const HcpIdentMap& map) override;
};

}  // namespace velmora
