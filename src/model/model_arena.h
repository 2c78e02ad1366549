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

#include "model/common/hcp_ref.h"
#include "model/common/ident.h"
#include "model/complex_hardware/arb_policy.h"
#include "model/complex_hardware/karray_types.h"
#include "model/construction_state.h"
#include "model/flow_block/zync_bind.h"
#include "model/hw_component/hcp_term.h"
#include "model/hw_component/logic_op.h"
#include "model/hw_component/slice.h"

namespace velmora {

template <class T>
class ArenaGroup;
class ModelStore;
class HcpBase;
class FlowBlock;
class CcpBase;
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

/// How the two sources of a multiplexer were fitted to its wire.
struct MuxFits {
    SanitizedSrc if_true;
    SanitizedSrc if_false;
};

/// How a Karray write fitted one source to its field, against the first element it writes.
struct KarrayFit {
    SanitizedSrc fit;
    HcpIdent des;
};

struct MuxResult {
    HcpIdent wire;
    MuxFits fits;
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
    /// Takes the complex component out of its slot (take_ccp), calls f with it, puts it back.
    template <class F>
    decltype(auto) with_ccp(const CcpIdent& id, F&& f);
    template <class F>
    decltype(auto) read_ccp(const CcpIdent& id, F&& f) const;
    template <class F>
    decltype(auto) with_module(const ModuleIdent& id, F&& f);
    const Module& get_module(const ModuleIdent& id) const;
    /// The stored object an identity's handle names, or null when it names no slot of this
    /// arena. The stored identity may still differ from `id` (see model/validate.h).
    const HcpBase* find_hcp(const HcpIdent& id) const;
    /// The identity a link names, read from its slot (also while the component is taken out).
    const HcpIdent& ident_of(HcpRef ref) const;
    OptHcpIdent ident_of(const OptHcpRef& ref) const {
        return ref ? OptHcpIdent(ident_of(*ref)) : OptHcpIdent();
    }
    const NcpIdent& ident_of(NcpRef ref) const;
    const FlowBlock* find_block(const FlowBlockIdent& id) const;
    const CcpBase* find_ccp(const CcpIdent& id) const;
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
    std::vector<PendingHcp>& pending_hcps() { return construction_.pending_hcps; }
    const ConstructionState& construction() const { return construction_; }
    /// Stamps the component to the module on top of the trace stack (or the pending list).
    HcpIdent stamp_hw_to_parent_module(HcpIdent id, bool is_user_com);
    /// Stamps the complex component to the module on top of the trace stack and lists it there.
    CcpIdent stamp_ccp_to_parent_module(CcpIdent id);
    void mark_as_io(const HcpIdent& id, bool is_input, std::string io_name);
    bool is_marked_as_io(const HcpIdent& id) const;
    /// The component whose IO mark carries `io_name`, if any.
    OptHcpIdent io_name_owner(std::string_view io_name) const;
    /// True once build_flow has run on this model.
    bool flow_built() const { return construction_.flow_built; }
    /// The failure of a build_flow that stopped part way: the model is then half built.
    const std::optional<std::string>& failed_build() const { return construction_.failed_build; }
    /// Records that the design's control has been built (build_flow's last step).
    void mark_flow_built() { construction_.flow_built = true; }

    // ---- Component factories -----------------------------------------------------------------
    HcpIdent make_reg(bool is_user_com, std::string_view name, int32_t bit_width);
    HcpIdent make_wire(bool is_user_com, std::string_view name, int32_t bit_width);
    HcpIdent make_val(bool is_user_com, std::string_view name, int32_t bit_width, uint64_t init,
                      NameStore store = NameStore::Shared);
    HcpIdent make_val_vv(bool is_user_com, std::string_view name, int32_t bit_width,
                         std::vector<uint64_t> limbs);
    HcpIdent make_mem_blk(bool is_user_com, std::string_view name, int32_t bit_width,
                          int32_t index_width);
    HcpIdent make_mem_ele(bool is_user_com, std::string_view name, const HcpIdent& master,
                          const HcpIdent& index, int32_t bit_width, bool is_read);
    /// IoWire::new_opt_src: an actual source gets one priority-50 ClkFree event at once.
    HcpIdent make_io_wire(bool is_user_com, std::string_view name, bool is_input, int32_t bit_width,
                          OptHcpIdent agent_src, OptHcpIdent actual_src);
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
    HcpIdent make_state_reg(std::string_view name, NameStore store = NameStore::Shared);
    HcpIdent make_sync_reg(std::string_view name, int32_t size);
    HcpIdent make_cnt_reg(std::string_view name, int32_t inc_val, int32_t max_cycle);
    HcpIdent make_cond_wait_state_reg(std::string_view name, const HcpIdent& cond, Slice slice);
    HcpIdent make_cycle_wait_state_reg(std::string_view name, int32_t wait_cycle);

    // ---- Arbiters (model/complex_hardware/arb_ops.cpp) ----------------------------------------
    /// Creates the "{name}_MREQ" wire, then the arbiter, in the current module.
    CcpIdent make_arb(std::string_view name, ArbSamePriPolicy policy);
    /// Appends an ordinary leaf ("{arb}_REQ{i}", "{arb}_ACK{i}" wires); returns its index.
    uint64_t arb_add_leaf(const CcpIdent& arb, int32_t priority);
    /// Appends a leaf whose request (Req) or acknowledge (Ack) is a constant 1.
    uint64_t arb_add_leaf_locked(const CcpIdent& arb, int32_t priority, ArbLockedChannel channel);
    /// Resolves the source's slice ("{arb}_mack") and stores it as the master acknowledge.
    void arb_set_master_ack(const CcpIdent& arb, const HcpIdent& src, OptSlice src_slice);
    /// Stores a one-bit signal as the master acknowledge (the pipeline block's entrance).
    void arb_set_master_ack_src(const CcpIdent& arb, const HcpIdent& src);
    /// The master acknowledge becomes the constant "{arb}_MACK" = 1.
    void arb_lock_master_ack(const CcpIdent& arb);
    void arb_set_hold(const CcpIdent& arb, const HcpIdent& cond, OptSlice cond_slice);
    void arb_set_reset(const CcpIdent& arb, const HcpIdent& cond, OptSlice cond_slice);
    uint64_t arb_leaf_count(const CcpIdent& arb) const;
    HcpIdent arb_get_master_req_wire(const CcpIdent& arb) const;
    HcpIdent arb_get_leaf_req_wire(const CcpIdent& arb, uint64_t index) const;
    HcpIdent arb_get_leaf_ack_wire(const CcpIdent& arb, uint64_t index) const;

    // ---- Dynamic counters (model/complex_hardware/dyn_counter_ops.cpp) ------------------------
    /// Makes the "{name}_CNT" register, then the counter, in the current module.
    CcpIdent make_dyn_counter(std::string_view name, int32_t width);
    /// Chains `addend` (sliced by "{cnt}_addend") onto the running sum, enabled by the one-bit
    /// `enable` (sliced by "{cnt}_en") when given; returns the new running sum.
    HcpIdent dyn_counter_add(const CcpIdent& cnt, const HcpIdent& addend, OptSlice addend_slice,
                             OptHcpIdent enable, OptSlice enable_slice);
    /// Assigns the running sum to the register at this point of the flow (UserError when
    /// nothing is pending).
    void dyn_counter_update(const CcpIdent& cnt);
    HcpIdent dyn_counter_get_reg(const CcpIdent& cnt) const;
    /// The running sum, or the register when nothing is pending.
    HcpIdent dyn_counter_get_now(const CcpIdent& cnt) const;

    // ---- Karrays (model/complex_hardware/karray_*.cpp) ----------------------------------------
    /// Makes "{name}_E{e}_{field}" for every element (row-major) and field, then the array.
    CcpIdent make_karray(std::string_view name, std::vector<uint64_t> shape,
                         std::vector<KarrayField> fields, HwComponentType backing);
    std::vector<uint64_t> karray_shape(const CcpIdent& karray) const;
    std::vector<KarrayField> karray_fields(const CcpIdent& karray) const;
    bool karray_is_clocked(const CcpIdent& karray) const;
    HcpIdent karray_element_hcp(const CcpIdent& karray, const std::vector<uint64_t>& coord,
                                std::string_view field) const;
    /// Gives that field of every element the reset value (reg-backed arrays).
    void karray_reset_field(const CcpIdent& karray, std::string_view field, const HcpIdent& value);
    /// Builds the read of one field under the selection; the select fns of reduced dimensions
    /// are called with the arena free, and may build logic through it.
    HcpIdent karray_read_field_hcp(const CcpIdent& karray, const std::vector<Kidx>& sel,
                                   const KarrayReduceFns& fns, std::string_view field);
    /// Writes the sources (by field name; unknown names are skipped) into the selected elements,
    /// as one assignment node of the current flow scope. Returns how each source was fitted.
    /// Refusals are UserError, or UserTypeError for the backing and assignment mode.
    std::vector<KarrayFit> karray_assign_hcps(const CcpIdent& karray, const std::vector<Kidx>& sel,
                                              const std::vector<KarraySource>& sources,
                                              bool expect_clocked);
    /// Reads `src` under its selection and writes every field that `dst` has of the same name
    /// and width into the selected elements of `dst`.
    std::vector<KarrayFit> karray_assign_k2k(const CcpIdent& dst, const std::vector<Kidx>& dst_sel,
                                             const CcpIdent& src, const std::vector<Kidx>& src_sel,
                                             const KarrayReduceFns& src_fns, bool expect_clocked);

    // ---- Update events -----------------------------------------------------------------------
    UpdateEventIdent make_ue_basic(const HcpIdent& src, Slice des_slice, Slice src_slice,
                                   int32_t priority, ClockMode clk_mode, bool use_current_priority,
                                   OptHcpIdent clk_src);
    UpdateEventIdent make_ue_full(OptHcpIdent add_cond, OptHcpIdent dis_cond, const HcpIdent& src,
                                  Slice des_slice, Slice src_slice, int32_t priority,
                                  ClockMode clk_mode, bool use_current_priority,
                                  OptHcpIdent clk_src);
    UpdateEventIdent make_ue_add_dis(OptHcpIdent add_cond, OptHcpIdent dis_cond,
                                     const UpdateEventIdent& inner);
    UpdateEventIdent make_ue_mux(const UpdateEventIdent& left, const UpdateEventIdent& right,
                                 const HcpIdent& cond);
    /// Stores an event of any kind (defined with the store).
    template <class Ue>
    UpdateEventIdent insert_ue(Ue ue);
    /// Rewrites the clock source of an event and of every event it wraps.
    void set_ue_clk_src_deep(const UpdateEventIdent& ue, const OptHcpIdent& clk);

    // ---- Assignment ----------------------------------------------------------------------------
    SanitizedSrc sanitize_asm_src(const HcpIdent& des, const HcpIdent& src, OptSlice des_slice,
                                  int32_t src_start, int32_t src_stop);
    /// The whole user assignment: fit, do_asm on the destination, attach the node to the scope.
    SanitizedSrc gen_basic_assign(const HcpIdent& des, const HcpIdent& src, OptSlice src_slice,
                                  OptSlice des_slice);

    // ---- Combinational generators: always-on logic, apart from the flow block stack -------------
    /// Drives `wire` with one clock-free conditional event, pooled at once: `if_true` while the
    /// one-bit `cond` is high, `if_false` otherwise. Each source is fitted to the wire's width as
    /// an assignment source is; the fits are returned (true branch first).
    MuxFits mux_into_wire(const HcpIdent& wire, const HcpIdent& cond, const HcpTerm& if_true,
                          const HcpTerm& if_false, int32_t priority);
    /// A new wire `name` of `width` bits selecting between the branches by `cond` (sliced down to
    /// one bit by `cond_slice`), at the current priority. Refuses a bad condition or width with
    /// UserError before creating anything.
    MuxResult gen_mux(std::string_view name, const HcpIdent& cond, OptSlice cond_slice,
                      const HcpTerm& if_true, const HcpTerm& if_false, int32_t width);
    /// Rotates the signal's range left by `amount` (right for a negative amount), over its low
    /// `width` bits when a width is given. Nothing is made, and nullopt returned, when the amount
    /// is a multiple of the rotated width. `op_name` names the operation in refusals.
    OptHcpIdent gen_rotate(std::string_view op_name, std::string_view name, const HcpIdent& sig,
                           OptSlice sig_slice, int64_t amount, std::optional<int32_t> width);
    /// Reduces the terms pairwise, in order, by `op` into a tree of "{name}_t" expressions of
    /// depth ceil(log2 n). One term is returned as it is.
    HcpTerm fold_balanced(std::string_view name, std::vector<HcpTerm> terms, LogicOp op);
    /// 1 when any term is non-zero: a 1-bit zero constant for no term, nullopt for one term (the
    /// term is its own answer).
    OptHcpIdent gen_any_of(std::string_view name, const std::vector<HcpTerm>& terms);
    /// The sum of the terms' values, zero-extended to `width` bits (by default wide enough for the
    /// largest possible sum). Refuses no terms or a bad width with UserError.
    HcpIdent gen_sum_cnt(std::string_view name, const std::vector<HcpTerm>& bits,
                         std::optional<int32_t> width);

    // ---- Nodes ---------------------------------------------------------------------------------
    NcpIdent make_asm_node(bool is_user_com, std::string_view name, AssignMeta meta);
    NcpIdent make_asm_node_many(std::string_view name, std::vector<AssignMeta> metas);
    NcpIdent make_opr_node(std::string_view name, const HcpIdent& exit);
    NcpIdent make_pseudo_node(std::string_view name, int32_t width, LogicOp join_op);
    NcpIdent make_start_node(std::string_view name, const HcpIdent& mrst);
    /// `name` carries the id of the block that makes the state ("seq_state_{id}_{step}"), so the
    /// names of the node, its register and the register's constants are stored unshared.
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
    // Conditions are one bit wide (after the slice): the caller checks that first.
    FlowBlockIdent make_flow_block_cif(std::string_view name, const HcpIdent& cond,
                                       OptSlice cond_slice);
    FlowBlockIdent make_flow_block_sif(std::string_view name, const HcpIdent& cond,
                                       OptSlice cond_slice);
    FlowBlockIdent make_flow_block_cselif(std::string_view name, const HcpIdent& cond,
                                          OptSlice cond_slice);
    FlowBlockIdent make_flow_block_cselse(std::string_view name);
    FlowBlockIdent make_flow_block_pick(std::string_view name);
    FlowBlockIdent make_flow_block_pif(std::string_view name, const HcpIdent& cond,
                                       OptSlice cond_slice);
    FlowBlockIdent make_flow_block_pidef(std::string_view name);
    FlowBlockIdent make_flow_block_zif(std::string_view name, const HcpIdent& cond,
                                       OptSlice cond_slice);
    FlowBlockIdent make_flow_block_zelif(std::string_view name, const HcpIdent& cond,
                                         OptSlice cond_slice);
    FlowBlockIdent make_flow_block_zelse(std::string_view name);
    FlowBlockIdent make_flow_block_zstate(std::string_view name, const HcpIdent& state);
    FlowBlockIdent make_flow_block_zcase(std::string_view name, int32_t match_val);
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
    /// A pipeline fed by `arb`: adds the pipeline's own leaf (Req-locked with `auto_req`) and
    /// reserves the arbiter's master ack, which the pipeline drives once built.
    FlowBlockIdent make_flow_block_pip(std::string_view name, const CcpIdent& arb, int32_t priority,
                                       bool auto_req, bool auto_restart);
    /// A zync on one arbiter, without condition.
    FlowBlockIdent make_flow_block_zync(std::string_view name, const CcpIdent& arb,
                                        int32_t priority, bool auto_ack);
    /// A zync on several arbiters: one leaf on each, in order; granted by any (or, with
    /// `match_all`, every) arbiter.
    FlowBlockIdent make_flow_block_zync_multi(std::string_view name,
                                              const std::vector<ZyncBindRequest>& binds,
                                              bool match_all);
    void initialize_flow_block(const FlowBlockIdent& block);
    /// The block's structural problem, if any. A closed if chain still waiting right above the
    /// block for more branches is attached to it first, so that the check sees it.
    std::optional<std::string> check_flow_block_prefinalize(const FlowBlockIdent& block);
    void finalize_flow_block(const FlowBlockIdent& block, bool recursive = false);
    void finalize_flow_procedure();
    FlowBlockType get_last_skeleton_flow_block_type() const;
    void attach_basic_node_to_current_scope(const NcpIdent& node);
    const std::vector<FlowStackEntry>& flow_block_stack() const {
        return construction_.flow_block_stack;
    }
    /// True once initialize_flow_block has opened the block (it stays true after it is closed).
    bool block_was_opened(const FlowBlockIdent& block) const {
        return construction_.opened_blocks.count(block.global_id()) != 0;
    }
    void build_flow();

private:
    template <class T>
    HcpIdent insert_hcp(T object, bool is_user_com);
    template <class T>
    NcpIdent insert_node(T node);
    template <class T>
    FlowBlockIdent insert_block(T block);
    template <class T>
    CcpIdent insert_ccp(T ccp);

    std::unique_ptr<ModelStore> store_;
    ConstructionState construction_;
    std::optional<ModuleIdent> top_module_;
    // The names of every object inserted here; freed with the arena.
    NameOwner names_;
};

}  // namespace velmora
