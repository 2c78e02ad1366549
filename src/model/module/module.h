#pragma once
// One module of the design: its components by kind and origin, children, blocks and nodes.
#include <array>
#include <optional>
#include <vector>

#include "model/common/hcp_ref.h"
#include "model/common/ident.h"

namespace velmora {

class ModelArena;

/// The components of one kind and origin, as links. The list keeps slots only: its kind is the
/// same for every entry, which keeps a module's lists at 4 bytes per component.
class HcpSlotList {
public:
    class iterator {
    public:
        iterator(std::vector<SlotRef>::const_iterator at, HwComponentType kind)
            : at_(at), kind_(kind) {}
        HcpRef operator*() const {
            HcpRef ref;
            ref.slot = *at_;
            ref.hw_type = kind_;
            return ref;
        }
        iterator& operator++() {
            ++at_;
            return *this;
        }
        bool operator!=(const iterator& o) const { return at_ != o.at_; }

    private:
        std::vector<SlotRef>::const_iterator at_;
        HwComponentType kind_;
    };

    HcpSlotList(const std::vector<SlotRef>& slots, HwComponentType kind)
        : slots_(slots), kind_(kind) {}
    iterator begin() const { return {slots_.begin(), kind_}; }
    iterator end() const { return {slots_.end(), kind_}; }
    size_t size() const { return slots_.size(); }
    bool empty() const { return slots_.empty(); }

private:
    const std::vector<SlotRef>& slots_;
    HwComponentType kind_;
};

struct Module {
    std::array<std::vector<SlotRef>, kHwComponentTypeCount> internal_hcps;
    std::array<std::vector<SlotRef>, kHwComponentTypeCount> user_hcps;
    std::vector<ModuleIdent> sub_modules;
    std::vector<CcpIdent> ccps;
    std::vector<FlowBlockIdent> flow_blocks;
    std::vector<NcpIdent> basic_nodes_i;
    ModuleIdent ident;
    OptNcpIdent start_node;
    bool is_top = false;

    void set_arena_handle(ArenaHandle h) { ident.ident_base.arena_handle = h; }
    void add_hcp(HcpRef component, bool is_user) {
        (is_user ? user_hcps : internal_hcps)[static_cast<int>(component.hw_type)].push_back(
            component.slot);
    }
    /// The components of kind `t` made by the user or by the system, in the order they were added
    /// (read each identity with ModelArena::ident_of).
    HcpSlotList hcp_list(HwComponentType t, bool is_user) const {
        return {(is_user ? user_hcps : internal_hcps)[static_cast<int>(t)], t};
    }
    /// Calls f on every component: kinds in HwComponentType order, internal list before user list.
    template <class F>
    void for_each_hcp(F&& f) const {
        for (int k = 0; k < kHwComponentTypeCount; ++k) {
            auto kind = static_cast<HwComponentType>(k);
            for (HcpRef h : hcp_list(kind, false)) f(h);
            for (HcpRef h : hcp_list(kind, true)) f(h);
        }
    }

    static void build_flow_as_top_module(Module& module, ModelArena& arena);
    static void build_flow_base(Module& module, ModelArena& arena, const NcpIdent& start,
                                const HcpIdent& clk, const HcpIdent& mrst);
    /// Builds the complex components of the module, then of its sub-modules, depth first.
    static void build_complex_components(Module& module, ModelArena& arena);
    static void register_pending_hcps(Module& module, ModelArena& arena);
};

}  // namespace velmora
