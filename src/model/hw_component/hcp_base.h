#pragma once
// The interface every hardware component implements: identity, assignment and dependencies.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/common/ident.h"
#include "model/hw_component/common/assign_meta.h"
#include "model/hw_component/common/update_event.h"
#include "model/hw_component/slice.h"

namespace velmora {

class ModelArena;

struct IoMark {
    std::string io_name;
    bool is_input = false;
};

struct HcpAssign {
    std::vector<UpdateEventIdent> update_pool;
    std::shared_ptr<const IoMark> io_mark;  // few components are ports: kept out of the record
};

class HcpBase {
public:
    HcpIdent ident;
    HcpAssign hcp_assign;
    int32_t bit_width = 0;

    HcpBase() = default;
    HcpBase(HcpIdent id, int32_t width) : ident(std::move(id)), bit_width(width) {}
    virtual ~HcpBase() = default;
    HcpBase(const HcpBase&) = default;
    HcpBase(HcpBase&&) = default;
    HcpBase& operator=(const HcpBase&) = default;
    HcpBase& operator=(HcpBase&&) = default;

    // Identity.
    const IdentBase& get_ident_base() const { return ident.ident_base; }
    IdentBase& get_ident_base_mut() { return ident.ident_base; }
    uint64_t get_global_id() const { return ident.global_id(); }
    NameText get_global_name() const { return ident.abs_name(); }
    void set_global_name(std::string_view n) { ident.ident_base.set_global_name(n); }
    std::string_view get_rel_name() const { return ident.rel_name(); }
    void set_rel_name(std::string_view n) { ident.ident_base.set_rel_name(n); }
    bool get_is_user_com() const { return ident.ident_base.is_user_com; }
    ArenaHandle get_arena_handle() const { return ident.handle(); }
    void set_arena_handle(ArenaHandle h) { ident.ident_base.arena_handle = h; }
    const HcpIdent& get_ident() const { return ident; }
    HcpIdent& get_ident_mut() { return ident; }

    // Assignment.
    virtual ClockMode retrieve_clk_mode() const { return ClockMode::PosEdge; }
    virtual Slice get_des_slice() const { return Slice{0, bit_width}; }
    /// Priority of a new event made by gen_update_event: the thread's current one by default.
    virtual int32_t get_priority() const;
    /// The user assignment; for Reg, Wire, MemEle and CntReg it is gen_asm_node.
    virtual NcpIdent do_asm(ModelArena& arena, const HcpIdent& src, OptSlice des_slice,
                            int32_t src_start, int32_t src_stop);
    virtual UpdateEventIdent gen_update_event(ModelArena& arena, const HcpIdent& src,
                                              OptSlice des_slice, int32_t src_start,
                                              int32_t src_stop);
    virtual UpdateEventIdent gen_update_event_with_pri(ModelArena& arena, const HcpIdent& src,
                                                       OptSlice des_slice, int32_t src_start,
                                                       int32_t src_stop, int32_t priority,
                                                       ClockMode clk_mode);
    virtual AssignMeta gen_asm_meta(ModelArena& arena, const HcpIdent& src, OptSlice des_slice,
                                    int32_t src_start, int32_t src_stop);
    virtual NcpIdent gen_asm_node(ModelArena& arena, const HcpIdent& src, OptSlice des_slice,
                                  int32_t src_start, int32_t src_stop);
    void add_update_event(const UpdateEventIdent& ue) { hcp_assign.update_pool.push_back(ue); }
    /// A direct binding without a node (priority 50 and ClkFree unless given).
    virtual void bind_src(ModelArena& arena, const HcpIdent& src, OptSlice des_slice,
                          int32_t src_start, int32_t src_stop, std::optional<int32_t> priority,
                          std::optional<ClockMode> clk_mode, OptHcpIdent clk_src);
    const std::vector<UpdateEventIdent>& get_update_pool() const { return hcp_assign.update_pool; }
    /// Stable sort by priority, then sub-priority, then insertion order.
    virtual void sort_events(const ModelArena& arena);
    void mark_as_io(bool is_input, std::string io_name) {
        hcp_assign.io_mark = std::make_shared<const IoMark>(IoMark{std::move(io_name), is_input});
    }
    bool is_marked_as_io() const { return hcp_assign.io_mark != nullptr; }
    /// The port mark, or null when the component is not a port.
    const IoMark* get_io_mark() const { return hcp_assign.io_mark.get(); }

    // Dependencies: what the component reads (its pool's events; expressions add operands).
    virtual void gather_dep_hcps(const ModelArena& arena, HcpIdentSet& out) const;
    virtual void remap_dep_hcps(ModelArena& arena, const HcpIdentMap& map);
};

}  // namespace velmora
