#pragma once
// The one object that owns the whole model: a typed group per object kind, the module trace stack,
// the pending components, the flow block stack and the top module.
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "common/arena.h"
#include "model/common/ident.h"
#include "model/flow_block/par.h"
#include "model/flow_block/seq.h"
#include "model/hw_component/common/assign_meta.h"
#include "model/hw_component/common/update_event.h"
#include "model/hw_component/expression.h"
#include "model/hw_component/signals.h"
#include "model/hw_component/sp_reg/control_regs.h"
#include "model/module/module.h"
#include "model/nodes/simple_nodes.h"
#include "model/nodes/state_nodes.h"

namespace velmora {

struct FlowStackEntry {
    FlowBlockIdent block;
    bool lazy_closed = false;
};

/// Result of fitting an assignment source to its destination.
struct SanitizedSrc {
    HcpIdent src;
    Slice src_slice;
    int kind = 0;  // 0 unchanged, 1 zero-extended, 2 truncated
    int32_t src_width = 0;
    int32_t des_width = 0;
};

class ModelArena {
public:
    ModelArena() = default;
    ModelArena(const ModelArena&) = delete;
    ModelArena& operator=(const ModelArena&) = delete;
    ModelArena(ModelArena&&) = default;
    ModelArena& operator=(ModelArena&&) = default;

    // ---- Groups --------------------------------------------------------------------------------
    template <class T>
    ArenaGroup<T>& group() {
        return std::get<ArenaGroup<T>>(groups_);
    }
    template <class T>
    const ArenaGroup<T>& group() const {
        return std::get<ArenaGroup<T>>(groups_);
    }

    /// Takes the component out of its slot, calls f with the concrete object, puts it back.
    template <class F>
    decltype(auto) with_hcp(const HcpIdent& id, F&& f);
    /// Reads the component in place (a taken-out component reads as its placeholder).
    template <class F>
    decltype(auto) read_hcp(const HcpIdent& id, F&& f) const;
    template <class F>
    decltype(auto) with_ue(const UpdateEventIdent& id, F&& f);
    template <class F>
    decltype(auto) read_ue(const UpdateEventIdent& id, F&& f) const;
    template <class F>
    decltype(auto) with_node(const NcpIdent& id, F&& f);
    template <class F>
    decltype(auto) read_node(const NcpIdent& id, F&& f) const;
    template <class F>
    decltype(auto) with_block(const FlowBlockIdent& id, F&& f);
    template <class F>
    decltype(auto) read_block(const FlowBlockIdent& id, F&& f) const;
    template <class F>
    decltype(auto) with_module(const ModuleIdent& id, F&& f) {
        TakeGuard<Module> g(group<Module>(), id.handle());
        return f(*g);
    }
    const Module& get_module(const ModuleIdent& id) const {
        return group<Module>().get(id.handle());
    }
    /// The stored object an identity's handle names, or null when it names no slot of this
    /// arena. The stored identity may still differ from `id` (see model/validate.h).
    const HcpBase* find_hcp(const HcpIdent& id) const;
    const FlowBlock* find_block(const FlowBlockIdent& id) const;
    const Module* find_module(const ModuleIdent& id) const {
        return group<Module>().try_get(id.handle());
    }

    int32_t hcp_width(const HcpIdent& id) const;
    Slice hcp_full_slice(const HcpIdent& id) const { return Slice{0, hcp_width(id)}; }
    UeCommon get_ue_common(const UpdateEventIdent& id) const;

    // ---- Modules and the trace stack
    // -------------------------------------------------------------
    ModuleIdent mk_module(std::string_view name);
    void track_module_at_com_init(const ModuleIdent& m);
    void untrack_module_at_com_init(const ModuleIdent& m);
    void track_module_at_flow_init(const ModuleIdent& m);
    void untrack_module_at_flow_init(const ModuleIdent& m);
    void push_module(const ModuleIdent& m, ModuleInitStage stage);
    std::pair<ModuleIdent, ModuleInitStage> pop_module();
    void set_top_module(const ModuleIdent& m);
    const std::optional<ModuleIdent>& get_top_module() const { return top_module_; }
    ModuleIdent get_parent_module_ident(const ModuleIdent& m) const;
    const std::vector<std::pair<ModuleIdent, ModuleInitStage>>& module_trace_stack() const {
        return module_trace_stack_;
    }
    std::vector<std::pair<HcpIdent, bool>>& pending_hcps() { return pending_hcps_; }
    /// Stamps the component to the module on top of the trace stack (or the pending list).
    HcpIdent stamp_hw_to_parent_module(HcpIdent id, bool is_user_com);
    void mark_as_io(const HcpIdent& id, bool is_input, std::string io_name);
    /// The component whose IO mark carries `io_name`, if any.
    std::optional<HcpIdent> io_name_owner(std::string_view io_name) const;
    /// True once build_flow has run on this model.
    bool flow_built() const { return flow_built_; }
    /// The failure of a build_flow that stopped part way: the model is then half built.
    const std::optional<std::string>& failed_build() const { return failed_build_; }
    /// Records that the design's control has been built (build_flow's last step).
    void mark_flow_built() { flow_built_ = true; }

    // ---- Component factories -----------------------------------------------------------------
    HcpIdent make_reg(bool is_user_com, std::string_view name, int32_t bit_width);
    HcpIdent make_wire(bool is_user_com, std::string_view name, int32_t bit_width);
    HcpIdent make_val(bool is_user_com, std::string_view name, int32_t bit_width, uint64_t init);
    HcpIdent make_val_vv(bool is_user_com, std::string_view name, int32_t bit_width,
                         std::vector<uint64_t> limbs);
    HcpIdent make_mem_blk(bool is_user_com, std::string_view name, int32_t bit_width,
                          int32_t index_width);
    HcpIdent make_mem_ele(bool is_user_com, std::string_view name, const HcpIdent& master,
                          const HcpIdent& index, int32_t bit_width, bool is_read);
    /// IoWire::new_opt_src: an actual source gets one priority-50 ClkFree event at once.
    HcpIdent make_io_wire(bool is_user_com, std::string_view name, bool is_input, int32_t bit_width,
                          std::optional<HcpIdent> agent_src, std::optional<HcpIdent> actual_src);
    HcpIdent make_expression(bool is_user_com, std::string_view name, LogicOp op, const HcpIdent& a,
                             const HcpIdent& b, OptSlice a_slice, OptSlice b_slice);
    HcpIdent make_expression_single(bool is_user_com, std::string_view name, LogicOp op,
                                    const HcpIdent& a, OptSlice a_slice);
    HcpIdent make_expression_constant(bool is_user_com, std::string_view name, LogicOp op,
                                      const HcpIdent& a, int32_t constant, OptSlice a_slice);
    HcpIdent make_expression_empty(std::string_view name, int32_t width);
    /// Gives an empty expression its source once (the PseudoNode join).
    void fill_empty_expression(const HcpIdent& expr, const HcpIdent& src);
    /// A narrower valid slice of `cond` becomes a "{}_CONDSLICE" expression.
    HcpIdent resolve_cond_slice(std::string_view name, const HcpIdent& cond, OptSlice cond_slice);
    void set_reg_reset(const HcpIdent& reg, const HcpIdent& reset_val);
    void set_wire_default(const HcpIdent& wire, const HcpIdent& default_val);

    // ---- Control registers -------------------------------------------------------------------
    HcpIdent make_state_reg(std::string_view name);
    HcpIdent make_sync_reg(std::string_view name, int32_t size);
    HcpIdent make_cnt_reg(std::string_view name, int32_t inc_val, int32_t max_cycle);
    HcpIdent make_cond_wait_state_reg(std::string_view name, const HcpIdent& cond, Slice slice);
    HcpIdent make_cycle_wait_state_reg(std::string_view name, int32_t wait_cycle);

    // ---- Update events -----------------------------------------------------------------------
    UpdateEventIdent make_ue_basic(const HcpIdent& src, Slice des_slice, Slice src_slice,
                                   int32_t priority, ClockMode clk_mode, bool use_current_priority,
                                   std::optional<HcpIdent> clk_src);
    UpdateEventIdent make_ue_full(std::optional<HcpIdent> add_cond,
                                  std::optional<HcpIdent> dis_cond, const HcpIdent& src,
                                  Slice des_slice, Slice src_slice, int32_t priority,
                                  ClockMode clk_mode, bool use_current_priority,
                                  std::optional<HcpIdent> clk_src);
    UpdateEventIdent make_ue_add_dis(std::optional<HcpIdent> add_cond,
                                     std::optional<HcpIdent> dis_cond,
                                     const UpdateEventIdent& inner);
    UpdateEventIdent make_ue_mux(const UpdateEventIdent& left, const UpdateEventIdent& right,
                                 const HcpIdent& cond);
    UpdateEventIdent insert_ue(UeBasic ue);
    UpdateEventIdent insert_ue(UeCond ue);
    UpdateEventIdent insert_ue(UeSwitch ue);
    UpdateEventIdent insert_ue(UeGrp ue);
    /// Rewrites the clock source of an event and of every event it wraps.
    void set_ue_clk_src_deep(const UpdateEventIdent& ue, const std::optional<HcpIdent>& clk);

    // ---- Assignment ----------------------------------------------------------------------------
    SanitizedSrc sanitize_asm_src(const HcpIdent& des, const HcpIdent& src, OptSlice des_slice,
                                  int32_t src_start, int32_t src_stop);
    /// The whole user assignment: fit, do_asm on the destination, attach the node to the scope.
    SanitizedSrc gen_basic_assign(const HcpIdent& des, const HcpIdent& src, OptSlice src_slice,
                                  OptSlice des_slice);

    // ---- Nodes ---------------------------------------------------------------------------------
    NcpIdent make_asm_node(bool is_user_com, std::string_view name, AssignMeta meta);
    NcpIdent make_asm_node_many(std::string_view name, std::vector<AssignMeta> metas);
    NcpIdent make_opr_node(std::string_view name, const HcpIdent& exit);
    NcpIdent make_pseudo_node(std::string_view name, int32_t width, LogicOp join_op);
    NcpIdent make_start_node(std::string_view name, const HcpIdent& mrst);
    NcpIdent make_state_node(std::string_view name);
    NcpIdent make_syn_node(std::string_view name, int32_t syn_size);
    NcpIdent make_wait_cond_node(std::string_view name, const HcpIdent& cond, Slice slice);
    NcpIdent make_wait_cycle_node(std::string_view name, int32_t cycle);
    NcpIdent make_counter_node(std::string_view name, int32_t last_loop_cnt);
    void assign_ncp_node(const NcpIdent& node, bool run_prelim, bool run_final);
    void dry_assign_asm_node(const NcpIdent& node);
    void assign_asm_from_state_node(const NcpIdent& node);
    void init_asm_node_clk_src(const NcpIdent& node);
    void set_asm_node_clk_src_direct(const NcpIdent& node, const HcpIdent& clk);
    void apply_asm_node_pending_pre_cond(const NcpIdent& node);

    // ---- Flow blocks ---------------------------------------------------------------------------
    FlowBlockIdent make_flow_block_seq(std::string_view name);
    FlowBlockIdent make_flow_block_par(std::string_view name, bool no_sync);
    void initialize_flow_block(const FlowBlockIdent& block);
    std::optional<std::string> check_flow_block_prefinalize(const FlowBlockIdent& block);
    void finalize_flow_block(const FlowBlockIdent& block, bool recursive = false);
    void finalize_flow_procedure();
    FlowBlockType get_last_skeleton_flow_block_type() const;
    void attach_basic_node_to_current_scope(const NcpIdent& node);
    const std::vector<FlowStackEntry>& flow_block_stack() const { return flow_block_stack_; }
    /// True once initialize_flow_block has opened the block (it stays true after it is closed).
    bool block_was_opened(const FlowBlockIdent& block) const {
        return opened_blocks_.count(block.global_id()) != 0;
    }
    void build_flow();

private:
    template <class T>
    HcpIdent insert_hcp(T object, bool is_user_com);
    template <class T>
    NcpIdent insert_node(T node);
    template <class T>
    FlowBlockIdent insert_block(T block);

    [[noreturn]] static void fail_nest(HwComponentType t);
    [[noreturn]] static void fail_untype();
    [[noreturn]] static void fail_block_type(FlowBlockType t);

    std::tuple<ArenaGroup<Reg>, ArenaGroup<Wire>, ArenaGroup<IoWire>, ArenaGroup<Val>,
               ArenaGroup<MemEle>, ArenaGroup<MemBlk>, ArenaGroup<Expression>, ArenaGroup<StateReg>,
               ArenaGroup<SyncReg>, ArenaGroup<CntReg>, ArenaGroup<CondWaitStateReg>,
               ArenaGroup<CycleWaitStateReg>, ArenaGroup<UeBasic>, ArenaGroup<UeGrp>,
               ArenaGroup<UeCond>, ArenaGroup<UeSwitch>, ArenaGroup<AsmNode>, ArenaGroup<OprNode>,
               ArenaGroup<PseudoNode>, ArenaGroup<StartNode>, ArenaGroup<StateNode>,
               ArenaGroup<SynNode>, ArenaGroup<WaitCondNode>, ArenaGroup<WaitCycleNode>,
               ArenaGroup<CounterNode>, ArenaGroup<Module>, ArenaGroup<FlowBlockSeq>,
               ArenaGroup<FlowBlockPar>>
        groups_;
    std::vector<std::pair<ModuleIdent, ModuleInitStage>> module_trace_stack_;
    std::vector<std::pair<HcpIdent, bool>> pending_hcps_;
    std::vector<FlowStackEntry> flow_block_stack_;
    std::optional<ModuleIdent> top_module_;
    bool flow_built_ = false;
    // IO names in use, so that a duplicate is found without walking the design.
    std::unordered_map<std::string, HcpIdent> io_name_owners_;
    std::unordered_set<uint64_t> opened_blocks_;
    std::optional<std::string> failed_build_;
    // The names of every object inserted here; freed with the arena.
    NameOwner names_;
};

// ---- Dispatch on identity kinds -------------------------------------------------------------

#define VELMORA_HCP_DISPATCH(ACCESS)             \
    switch (id.hw_type) {                        \
        case HwComponentType::Reg:               \
            ACCESS(Reg);                         \
        case HwComponentType::StateReg:          \
            ACCESS(StateReg);                    \
        case HwComponentType::CondWaitStateReg:  \
            ACCESS(CondWaitStateReg);            \
        case HwComponentType::CycleWaitStateReg: \
            ACCESS(CycleWaitStateReg);           \
        case HwComponentType::CntReg:            \
            ACCESS(CntReg);                      \
        case HwComponentType::SyncReg:           \
            ACCESS(SyncReg);                     \
        case HwComponentType::Wire:              \
            ACCESS(Wire);                        \
        case HwComponentType::Val:               \
            ACCESS(Val);                         \
        case HwComponentType::MemBlockIndexer:   \
            ACCESS(MemEle);                      \
        case HwComponentType::Expression:        \
            ACCESS(Expression);                  \
        case HwComponentType::IoWire:            \
            ACCESS(IoWire);                      \
        case HwComponentType::MemBlock:          \
            ACCESS(MemBlk);                      \
        case HwComponentType::Nest:              \
            break;                               \
    }                                            \
    fail_nest(id.hw_type);

#define VELMORA_TAKE(T)                              \
    {                                                \
        TakeGuard<T> guard(group<T>(), id.handle()); \
        return f(*guard);                            \
    }
#define VELMORA_READ(T) return f(group<T>().get(id.handle()));

template <class F>
decltype(auto) ModelArena::with_hcp(const HcpIdent& id, F&& f) {
    VELMORA_HCP_DISPATCH(VELMORA_TAKE)
}
template <class F>
decltype(auto) ModelArena::read_hcp(const HcpIdent& id, F&& f) const {
    VELMORA_HCP_DISPATCH(VELMORA_READ)
}

#define VELMORA_UE_DISPATCH(ACCESS) \
    switch (id.ue_type) {           \
        case UeType::Basic:         \
            ACCESS(UeBasic);        \
        case UeType::Grp:           \
            ACCESS(UeGrp);          \
        case UeType::Cond:          \
            ACCESS(UeCond);         \
        case UeType::Switch:        \
            ACCESS(UeSwitch);       \
        case UeType::Untype:        \
            break;                  \
    }                               \
    fail_untype();

template <class F>
decltype(auto) ModelArena::with_ue(const UpdateEventIdent& id, F&& f) {
    VELMORA_UE_DISPATCH(VELMORA_TAKE)
}
template <class F>
decltype(auto) ModelArena::read_ue(const UpdateEventIdent& id, F&& f) const {
    VELMORA_UE_DISPATCH(VELMORA_READ)
}

#define VELMORA_NODE_DISPATCH(ACCESS) \
    switch (id.node_type) {           \
        case NodeType::Asm:           \
            ACCESS(AsmNode);          \
        case NodeType::State:         \
            ACCESS(StateNode);        \
        case NodeType::Syn:           \
            ACCESS(SynNode);          \
        case NodeType::Pseudo:        \
            ACCESS(PseudoNode);       \
        case NodeType::Opr:           \
            ACCESS(OprNode);          \
        case NodeType::WaitCond:      \
            ACCESS(WaitCondNode);     \
        case NodeType::WaitCycle:     \
            ACCESS(WaitCycleNode);    \
        case NodeType::Counter:       \
            ACCESS(CounterNode);      \
        case NodeType::Start:         \
            ACCESS(StartNode);        \
    }                                 \
    panic("unknown NodeType");

template <class F>
decltype(auto) ModelArena::with_node(const NcpIdent& id, F&& f) {
    VELMORA_NODE_DISPATCH(VELMORA_TAKE)
}
template <class F>
decltype(auto) ModelArena::read_node(const NcpIdent& id, F&& f) const {
    VELMORA_NODE_DISPATCH(VELMORA_READ)
}

#define VELMORA_BLOCK_DISPATCH(ACCESS)  \
    switch (id.block_type) {            \
        case FlowBlockType::Sequential: \
            ACCESS(FlowBlockSeq);       \
        case FlowBlockType::Parallel:   \
            ACCESS(FlowBlockPar);       \
        default:                        \
            break;                      \
    }                                   \
    fail_block_type(id.block_type);

template <class F>
decltype(auto) ModelArena::with_block(const FlowBlockIdent& id, F&& f) {
    VELMORA_BLOCK_DISPATCH(VELMORA_TAKE)
}
template <class F>
decltype(auto) ModelArena::read_block(const FlowBlockIdent& id, F&& f) const {
    VELMORA_BLOCK_DISPATCH(VELMORA_READ)
}

#define VELMORA_FIND(T) return group<T>().try_get(id.handle());

inline const HcpBase* ModelArena::find_hcp(const HcpIdent& id) const {
    if (id.hw_type == HwComponentType::Nest) return nullptr;
    VELMORA_HCP_DISPATCH(VELMORA_FIND)
}
inline const FlowBlock* ModelArena::find_block(const FlowBlockIdent& id) const {
    VELMORA_BLOCK_DISPATCH(VELMORA_FIND)
}

#undef VELMORA_TAKE
#undef VELMORA_READ
#undef VELMORA_FIND

template <class T>
HcpIdent ModelArena::insert_hcp(T object, bool is_user_com) {
    ArenaHandle h = group<T>().insert(std::move(object));
    HcpIdent stored = group<T>().get(h).ident;
    stored.ident_base.give_names_to(names_);
    return stamp_hw_to_parent_module(stored, is_user_com);
}

template <class T>
NcpIdent ModelArena::insert_node(T node) {
    ArenaHandle h = group<T>().insert(std::move(node));
    NcpIdent stored = group<T>().get(h).ident;
    stored.ident_base.give_names_to(names_);
    return stored;
}

template <class T>
FlowBlockIdent ModelArena::insert_block(T block) {
    ArenaHandle h = group<T>().insert(std::move(block));
    FlowBlockIdent stored = group<T>().get(h).get_ident();
    stored.ident_base.give_names_to(names_);
    return stored;
}

}  // namespace velmora
