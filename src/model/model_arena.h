#pragma once
// The one object that owns the whole model. This header declares the model's operations; the
// storage with its concrete kinds sits behind it (model/model_store.h, included only by code that
// works with concrete kinds), beside the state of constructing a design.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/common/ident.h"
#include "model/construction_state.h"
#include "model/hw_component/logic_op.h"
#include "model/hw_component/slice.h"

namespace velmora {

template <class T>
class ArenaGroup;
class ModelStore;
class HcpBase;
class FlowBlock;
struct Module;
struct UeCommon;
struct AssignMeta;

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
    ModelArena();
    ~ModelArena();
    ModelArena(const ModelArena&) = delete;
    ModelArena& operator=(const ModelArena&) = delete;
    ModelArena(ModelArena&&) noexcept;
    ModelArena& operator=(ModelArena&&) noexcept;

    // ---- Storage (the typed accessors are defined in model/model_store.h) ---------------------
    ModelStore& store() { return *store_; }
    const ModelStore& store() const { return *store_; }
    template <class T>
    ArenaGroup<T>& group();
    template <class T>
    const ArenaGroup<T>& group() const;

    /// Takes the component out of its slot, calls f with the concrete object, puts it back.
    template <class F>
    decltype(auto) with_hcp(const HcpIdent& id, F&& f);
    /// Reads the component where it stands (a taken-out component is an internal error).
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
    decltype(auto) with_module(const ModuleIdent& id, F&& f);
    const Module& get_module(const ModuleIdent& id) const;
    /// The stored object an identity's handle names, or null when it names no slot of this
    /// arena. The stored identity may still differ from `id` (see model/validate.h).
    const HcpBase* find_hcp(const HcpIdent& id) const;
    const FlowBlock* find_block(const FlowBlockIdent& id) const;
    const Module* find_module(const ModuleIdent& id) const;

    int32_t hcp_width(const HcpIdent& id) const;
    Slice hcp_full_slice(const HcpIdent& id) const { return Slice{0, hcp_width(id)}; }
    /// The common part (priority, clock) of an event; UeCommon is in update_event.h.
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
        return construction_.module_trace_stack;
    }
    std::vector<std::pair<HcpIdent, bool>>& pending_hcps() { return construction_.pending_hcps; }
    const ConstructionState& construction() const { return construction_; }
    /// Stamps the component to the module on top of the trace stack (or the pending list).
    HcpIdent stamp_hw_to_parent_module(HcpIdent id, bool is_user_com);
    void mark_as_io(const HcpIdent& id, bool is_input, std::string io_name);
    bool is_marked_as_io(const HcpIdent& id) const;
    /// The component whose IO mark carries `io_name`, if any.
    std::optional<HcpIdent> io_name_owner(std::string_view io_name) const;
    /// True once build_flow has run on this model.
    bool flow_built() const { return construction_.flow_built; }
    /// Records that the design's control has been built (build_flow's last step).
    void mark_flow_built() { construction_.flow_built = true; }

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
    /// Stores an event of any kind (defined with the store).
    template <class Ue>
    UpdateEventIdent insert_ue(Ue ue);
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
    /// Loops take a one-bit condition; a narrower slice of `cond` becomes "{name}_CONDSLICE".
    FlowBlockIdent make_flow_block_while(std::string_view name, const HcpIdent& cond,
                                         OptSlice cond_slice, bool is_sync);
    FlowBlockIdent make_flow_block_cwhile(std::string_view name, const HcpIdent& cond,
                                          OptSlice cond_slice) {
        return make_flow_block_while(name, cond, cond_slice, false);
    }
    FlowBlockIdent make_flow_block_swhile(std::string_view name, const HcpIdent& cond,
                                          OptSlice cond_slice) {
        return make_flow_block_while(name, cond, cond_slice, true);
    }
    FlowBlockIdent make_flow_block_do_while(std::string_view name, const HcpIdent& cond,
                                            OptSlice cond_slice);
    FlowBlockIdent make_flow_block_counter_loop(std::string_view name, int32_t last_loop_cnt);
    FlowBlockIdent make_flow_block_scwait(std::string_view name, const HcpIdent& cond,
                                          OptSlice cond_slice);
    FlowBlockIdent make_flow_block_sywait(std::string_view name, int32_t cycle);
    void initialize_flow_block(const FlowBlockIdent& block);
    std::optional<std::string> check_flow_block_prefinalize(const FlowBlockIdent& block) const;
    void finalize_flow_block(const FlowBlockIdent& block, bool recursive = false);
    void finalize_flow_procedure();
    FlowBlockType get_last_skeleton_flow_block_type() const;
    void attach_basic_node_to_current_scope(const NcpIdent& node);
    const std::vector<FlowStackEntry>& flow_block_stack() const {
        return construction_.flow_block_stack;
    }
    void build_flow();

private:
    template <class T>
    HcpIdent insert_hcp(T object, bool is_user_com);
    template <class T>
    NcpIdent insert_node(T node);
    template <class T>
    FlowBlockIdent insert_block(T block);

    std::unique_ptr<ModelStore> store_;
    ConstructionState construction_;
    std::optional<ModuleIdent> top_module_;
};

}  // namespace velmora
