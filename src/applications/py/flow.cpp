// Flow blocks: factories, the open/close protocol, and the build of the design's control.
#include <nanobind/nanobind.h>

#include "applications/py/converters.h"
#include "applications/py/errors.h"
#include "applications/py/method_def.h"
#include "applications/py/owned_object.h"
#include "applications/py/register.h"
#include "model/complex_hardware/arb_checks.h"
#include "model/model_arena.h"
#include "model/validate.h"
#include "util/str_cat.h"

namespace nb = nanobind;

namespace velmora::py {
namespace {

using BlockOp = void (*)(ModelArena&, const CallArgs&, const FlowBlockIdent&);

/// A method taking one `block_i`, which must be a block of this arena, and forwarding it to `op`.
void bind_block_op(ArenaClass& cls, const char* method, const char* sig, const char* doc,
                   BlockOp op) {
    def_method(
        cls, method, sig, doc,
        [method, op](ArenaObject& self, const CallArgs& a) {
            FlowBlockIdent block = a.ident<FlowBlockIdent>(0);
            self.exclusive([&](ModelArena& m) {
                a.check_ident(m, 0, block);
                op(m, a, block);
            });
        },
        "block_i");
}

using NamedFactory = FlowBlockIdent (*)(ModelArena&, const std::string&);

/// A block factory taking only `name`.
void bind_named_factory(ArenaClass& cls, const char* method, const char* sig, const char* doc,
                        NamedFactory make) {
    def_method(
        cls, method, sig, doc,
        [method, make](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            return self.exclusive([&](ModelArena& m) {
                check_open_for_additions(m, method);
                return make(m, name);
            });
        },
        "name");
}

using CondFactory = FlowBlockIdent (ModelArena::*)(std::string_view, const HcpIdent&, OptSlice);

/// A block factory taking `name`, `cond_i` and `cond_slice=None`; the condition must be one bit.
void bind_cond_factory(ArenaClass& cls, const char* method, const char* sig, const char* doc,
                       CondFactory make) {
    def_method(
        cls, method, sig, doc,
        [method, make](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            HcpIdent cond = a.ident<HcpIdent>(1);
            OptSlice cond_slice = a.slice(2);
            return self.exclusive([&](ModelArena& m) {
                check_open_for_additions(m, method);
                // A sliced condition is copied to a wire of the module being built.
                if (cond_slice) refuse(check_module_tracked(m, method));
                a.check_cond(m, 1, cond, cond_slice);
                return (m.*make)(name, cond, cond_slice);
            });
        },
        "name", "cond_i", opt("cond_slice"));
}

void bind_choice_factories(ArenaClass& cls) {
    bind_cond_factory(cls, "mk_flow_block_cif",
                      "def mk_flow_block_cif(self, name: str, cond_i: HcpIdent, cond_slice: Slice "
                      "| None = None) -> FlowBlockIdent",
                      "Makes a multi-cycle if block (state entry false) named `name` on condition "
                      "`cond_i`. Refuses a condition that is not one bit wide (slice it down with "
                      "`cond_slice`) or a slice that does not fit it; a sliced condition is copied "
                      "to a wire of the tracked module, so it needs one tracked. Also refuses a "
                      "name that breaks the naming rules and any call once build_flow has run.",
                      &ModelArena::make_flow_block_cif);
    bind_cond_factory(cls, "mk_flow_block_sif",
                      "def mk_flow_block_sif(self, name: str, cond_i: HcpIdent, cond_slice: Slice "
                      "| None = None) -> FlowBlockIdent",
                      "Makes a multi-cycle if block (state entry true) named `name` on condition "
                      "`cond_i`. Refuses a condition that is not one bit wide (slice it down with "
                      "`cond_slice`) or a slice that does not fit it; a sliced condition is copied "
                      "to a wire of the tracked module, so it needs one tracked. Also refuses a "
                      "name that breaks the naming rules and any call once build_flow has run.",
                      &ModelArena::make_flow_block_sif);
    bind_cond_factory(cls, "mk_flow_block_cselif",
                      "def mk_flow_block_cselif(self, name: str, cond_i: HcpIdent, cond_slice: "
                      "Slice | None = None) -> FlowBlockIdent",
                      "Makes an elif branch of a multi-cycle if chain named `name` on condition "
                      "`cond_i`. Refuses a condition that is not one bit wide (slice it down with "
                      "`cond_slice`) or a slice that does not fit it; a sliced condition is copied "
                      "to a wire of the tracked module, so it needs one tracked. Also refuses a "
                      "name that breaks the naming rules and any call once build_flow has run.",
                      &ModelArena::make_flow_block_cselif);
    bind_named_factory(
        cls, "mk_flow_block_cselse", "def mk_flow_block_cselse(self, name: str) -> FlowBlockIdent",
        "Makes the else branch of a multi-cycle if chain named `name`; open it with "
        "initialize_flow_block and close it with finalize_flow_block. Refuses a name that breaks "
        "the naming rules and any call once build_flow has run.",
        [](ModelArena& m, const std::string& name) { return m.make_flow_block_cselse(name); });
    // A pick starts every pif whose condition holds, all in the same cycle, and the pidef when
    // none holds. Its exit is not synchronised: each branch drives it when it finishes, so with
    // several matching pifs of different lengths the exit is high once per finishing branch (and
    // what follows the pick starts again each time). Building it warns so on standard error.
    bind_named_factory(
        cls, "mk_flow_block_pick", "def mk_flow_block_pick(self, name: str) -> FlowBlockIdent",
        "Makes a pick block, which starts every pif whose condition holds (and its pidef when none "
        "does) named `name`; open it with initialize_flow_block and close it with "
        "finalize_flow_block. Refuses a name that breaks the naming rules and any call once "
        "build_flow has run.",
        [](ModelArena& m, const std::string& name) { return m.make_flow_block_pick(name); });
    bind_cond_factory(cls, "mk_flow_block_pif",
                      "def mk_flow_block_pif(self, name: str, cond_i: HcpIdent, cond_slice: Slice "
                      "| None = None) -> FlowBlockIdent",
                      "Makes a branch of a pick block named `name` on condition `cond_i`. Refuses "
                      "a condition that is not one bit wide (slice it down with `cond_slice`) or a "
                      "slice that does not fit it; a sliced condition is copied to a wire of the "
                      "tracked module, so it needs one tracked. Also refuses a name that breaks "
                      "the naming rules and any call once build_flow has run.",
                      &ModelArena::make_flow_block_pif);
    bind_named_factory(
        cls, "mk_flow_block_pidef", "def mk_flow_block_pidef(self, name: str) -> FlowBlockIdent",
        "Makes the default branch of a pick block named `name`; open it with initialize_flow_block "
        "and close it with finalize_flow_block. Refuses a name that breaks the naming rules and "
        "any call once build_flow has run.",
        [](ModelArena& m, const std::string& name) { return m.make_flow_block_pidef(name); });
}

void bind_zero_cycle_factories(ArenaClass& cls) {
    bind_cond_factory(
        cls, "mk_flow_block_zif",
        "def mk_flow_block_zif(self, name: str, cond_i: HcpIdent, cond_slice: Slice | None = None) "
        "-> FlowBlockIdent",
        "Makes a zero-cycle if block named `name` on condition `cond_i`. Refuses a condition that "
        "is not one bit wide (slice it down with `cond_slice`) or a slice that does not fit it; a "
        "sliced condition is copied to a wire of the tracked module, so it needs one tracked. Also "
        "refuses a name that breaks the naming rules and any call once build_flow has run.",
        &ModelArena::make_flow_block_zif);
    bind_cond_factory(cls, "mk_flow_block_zelif",
                      "def mk_flow_block_zelif(self, name: str, cond_i: HcpIdent, cond_slice: "
                      "Slice | None = None) -> FlowBlockIdent",
                      "Makes an elif branch of a zero-cycle if chain named `name` on condition "
                      "`cond_i`. Refuses a condition that is not one bit wide (slice it down with "
                      "`cond_slice`) or a slice that does not fit it; a sliced condition is copied "
                      "to a wire of the tracked module, so it needs one tracked. Also refuses a "
                      "name that breaks the naming rules and any call once build_flow has run.",
                      &ModelArena::make_flow_block_zelif);
    bind_named_factory(
        cls, "mk_flow_block_zelse", "def mk_flow_block_zelse(self, name: str) -> FlowBlockIdent",
        "Makes the else branch of a zero-cycle if chain named `name`; open it with "
        "initialize_flow_block and close it with finalize_flow_block. Refuses a name that breaks "
        "the naming rules and any call once build_flow has run.",
        [](ModelArena& m, const std::string& name) { return m.make_flow_block_zelse(name); });
    def_method(
        cls, "mk_flow_block_zstate",
        "def mk_flow_block_zstate(self, name: str, state_i: HcpIdent) -> FlowBlockIdent",
        "Makes a zero-cycle switch named `name` on the value of signal `state_i`; its cases are "
        "mk_flow_block_zcase blocks. Refuses a signal of another arena, a name that breaks the "
        "naming rules and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            HcpIdent state = a.ident<HcpIdent>(1);
            return self.exclusive([&](ModelArena& m) {
                check_open_for_additions(m, "mk_flow_block_zstate");
                a.check_ident(m, 1, state);
                return m.make_flow_block_zstate(name, state);
            });
        },
        "name", "state_i");
    def_method(
        cls, "mk_flow_block_zcase",
        "def mk_flow_block_zcase(self, name: str, match_val: int) -> FlowBlockIdent",
        "Makes the case of a zero-cycle switch taken when the switched signal equals `match_val`. "
        "Refuses a match value out of range, a name that breaks the naming rules and any call once "
        "build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            int32_t match_val = a.i32(1);
            a.refuse_if(1, check_zcase_match_val(match_val));
            return self.exclusive([&](ModelArena& m) {
                check_open_for_additions(m, "mk_flow_block_zcase");
                return m.make_flow_block_zcase(name, match_val);
            });
        },
        "name", "match_val");
}

/// A block factory taking `name` and a positive count (`what` names it in the refusal).
template <class Make>
void bind_count_factory(ArenaClass& cls, const char* method, const char* sig, const char* doc,
                        const char* count_arg, const char* what, Make make) {
    def_method(
        cls, method, sig, doc,
        [=](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            int32_t count = a.i32(1);
            if (count <= 0) raise_value_error(cat(what, " must be positive, got ", count));
            return self.exclusive([&](ModelArena& m) {
                check_open_for_additions(m, method);
                return make(m, name, count);
            });
        },
        "name", count_arg);
}

void bind_loop_factories(ArenaClass& cls) {
    bind_cond_factory(cls, "mk_flow_block_cwhile",
                      "def mk_flow_block_cwhile(self, name: str, cond_i: HcpIdent, cond_slice: "
                      "Slice | None = None) -> FlowBlockIdent",
                      "Makes a while loop (cwhile variant) named `name` on condition `cond_i`. "
                      "Refuses a condition that is not one bit wide (slice it down with "
                      "`cond_slice`) or a slice that does not fit it; a sliced condition is copied "
                      "to a wire of the tracked module, so it needs one tracked. Also refuses a "
                      "name that breaks the naming rules and any call once build_flow has run.",
                      &ModelArena::make_flow_block_cwhile);
    bind_cond_factory(cls, "mk_flow_block_swhile",
                      "def mk_flow_block_swhile(self, name: str, cond_i: HcpIdent, cond_slice: "
                      "Slice | None = None) -> FlowBlockIdent",
                      "Makes a while loop (swhile variant) named `name` on condition `cond_i`. "
                      "Refuses a condition that is not one bit wide (slice it down with "
                      "`cond_slice`) or a slice that does not fit it; a sliced condition is copied "
                      "to a wire of the tracked module, so it needs one tracked. Also refuses a "
                      "name that breaks the naming rules and any call once build_flow has run.",
                      &ModelArena::make_flow_block_swhile);
    bind_cond_factory(
        cls, "mk_flow_block_do_while",
        "def mk_flow_block_do_while(self, name: str, cond_i: HcpIdent, cond_slice: Slice | None = "
        "None) -> FlowBlockIdent",
        "Makes a do-while loop named `name` on condition `cond_i`. Refuses a condition that is not "
        "one bit wide (slice it down with `cond_slice`) or a slice that does not fit it; a sliced "
        "condition is copied to a wire of the tracked module, so it needs one tracked. Also "
        "refuses a name that breaks the naming rules and any call once build_flow has run.",
        &ModelArena::make_flow_block_do_while);
    bind_cond_factory(
        cls, "mk_flow_block_scwait",
        "def mk_flow_block_scwait(self, name: str, cond_i: HcpIdent, cond_slice: Slice | None = "
        "None) -> FlowBlockIdent",
        "Makes a wait, which holds until the condition is true, named `name` on condition "
        "`cond_i`. Refuses a condition that is not one bit wide (slice it down with `cond_slice`) "
        "or a slice that does not fit it; a sliced condition is copied to a wire of the tracked "
        "module, so it needs one tracked. Also refuses a name that breaks the naming rules and any "
        "call once build_flow has run.",
        &ModelArena::make_flow_block_scwait);
    bind_count_factory(
        cls, "mk_flow_block_counter_loop",
        "def mk_flow_block_counter_loop(self, name: str, last_loop_cnt: int) -> FlowBlockIdent",
        "Makes a counter loop named `name` whose repetition counter counts to `last_loop_cnt`. "
        "Refuses a count of 0 or less, a name that breaks the naming rules and any call once "
        "build_flow has run.",
        "last_loop_cnt", "counter loop count",
        [](ModelArena& m, const std::string& name, int32_t n) {
            return m.make_flow_block_counter_loop(name, n);
        });
    bind_count_factory(cls, "mk_flow_block_sywait",
                       "def mk_flow_block_sywait(self, name: str, cycle: int) -> FlowBlockIdent",
                       "Makes a wait named `name` for `cycle` clock cycles. Refuses a cycle count "
                       "of 0 or less (\"sywait cycle must be positive, got {cycle}\"), a name that "
                       "breaks the naming rules and any call once build_flow has run.",
                       "cycle", "sywait cycle",
                       [](ModelArena& m, const std::string& name, int32_t n) {
                           return m.make_flow_block_sywait(name, n);
                       });
}

/// "bind {k}: {problem}", so that a refusal names the bind it is about.
Problem of_bind(size_t k, Problem problem) {
    if (problem) return cat("bind ", k, ": ", *problem);
    return problem;
}

/// The model checks of a zync's binds, in order: each arbiter and condition belongs to the arena,
/// each condition is one bit, and no arbiter is bound twice.
void check_zync_binds(const ModelArena& m, const CallArgs& a, size_t arg,
                      const std::vector<ZyncBindRequest>& binds) {
    for (size_t k = 0; k < binds.size(); ++k) {
        a.refuse_if(arg, of_bind(k, check_ident(m, binds[k].arb)));
        if (!binds[k].cond) continue;
        a.refuse_if(arg, of_bind(k, check_ident(m, *binds[k].cond)));
        a.check_cond_as(
            m, arg, *binds[k].cond, std::nullopt,
            cat("the condition of bind ", k, ", on ", binds[k].arb.ident_base.abs_text()));
    }
    a.refuse_if(arg, check_zync_arbs_distinct(binds));
}

void bind_shared_unit_factories(ArenaClass& cls) {
    def_method(
        cls, "mk_flow_block_pip",
        "def mk_flow_block_pip(self, name: str, arb_i: CcpIdent, priority: int | None = None, "
        "auto_req: bool = False, auto_restart: bool = False) -> FlowBlockIdent",
        "Makes a pipeline block named `name` that requests arbiter `arb_i` (at `priority`, or the "
        "default leaf priority) and runs its body once granted. Refuses an identity that is not an "
        "arbiter, an arbiter that already has a pipeline, a call with no module tracked, and any "
        "call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            CcpIdent arb = a.arb(1);
            int32_t priority = a.opt_i32(2).value_or(kDefaultLeafPriority);
            bool auto_req = a.flag(3);
            bool auto_restart = a.flag(4);
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "mk_flow_block_pip");
                a.check_ident(m, 1, arb);
                a.refuse_if(1, check_arb_pipeline_free(m, arb));
                return m.make_flow_block_pip(name, arb, priority, auto_req, auto_restart);
            });
        },
        "name", "arb_i", opt("priority"), opt_false("auto_req"), opt_false("auto_restart"));
    def_method(
        cls, "mk_flow_block_zync",
        "def mk_flow_block_zync(self, name: str, arb_i: CcpIdent, priority: int | None = None, "
        "auto_ack: bool = False) -> FlowBlockIdent",
        "Makes a zync block named `name` that waits for a grant of arbiter `arb_i` (at `priority`, "
        "or the default leaf priority). Refuses an identity that is not an arbiter, a call with no "
        "module tracked, and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            CcpIdent arb = a.arb(1);
            int32_t priority = a.opt_i32(2).value_or(kDefaultLeafPriority);
            bool auto_ack = a.flag(3);
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "mk_flow_block_zync");
                a.check_ident(m, 1, arb);
                return m.make_flow_block_zync(name, arb, priority, auto_ack);
            });
        },
        "name", "arb_i", opt("priority"), opt_false("auto_ack"));
    def_method(
        cls, "mk_flow_block_zync_multi",
        "def mk_flow_block_zync_multi(self, name: str, binds: "
        "collections.abc.Sequence[tuple[CcpIdent, int | None, bool, HcpIdent | None]], match_all: "
        "bool, priority: int | None = None) -> FlowBlockIdent",
        "Makes a zync block named `name` on several arbiters, each bind an (arbiter, priority or "
        "None, auto_ack, one-bit condition or None) tuple; with `match_all` it waits for every "
        "grant. Refuses no binds (\"zync requires at least one arb bind\"), an identity that is "
        "not an arbiter, an arbiter bound twice, a condition that is not one bit, a call with no "
        "module tracked, and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            std::vector<PyZyncBind> given = a.zync_binds(1);
            bool match_all = a.flag(2);
            int32_t priority = a.opt_i32(3).value_or(kDefaultLeafPriority);
            if (given.empty()) raise_value_error("zync requires at least one arb bind");
            std::vector<ZyncBindRequest> binds;
            for (size_t k = 0; k < given.size(); ++k) {
                a.refuse_kind_if(1, of_bind(k, check_ccp_kind(given[k].arb, CcpType::Arb)));
                binds.push_back(ZyncBindRequest{given[k].arb, given[k].priority.value_or(priority),
                                                given[k].auto_ack, given[k].cond});
            }
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "mk_flow_block_zync_multi");
                check_zync_binds(m, a, 1, binds);
                return m.make_flow_block_zync_multi(name, binds, match_all);
            });
        },
        "name", "binds", "match_all", opt("priority"));
}

void bind_factories(ArenaClass& cls) {
    bind_named_factory(
        cls, "mk_flow_block_seq", "def mk_flow_block_seq(self, name: str) -> FlowBlockIdent",
        "Makes a sequential block (its children run one after another) named `name`; open it with "
        "initialize_flow_block and close it with finalize_flow_block. Refuses a name that breaks "
        "the naming rules and any call once build_flow has run.",
        [](ModelArena& m, const std::string& name) { return m.make_flow_block_seq(name); });
    bind_named_factory(
        cls, "mk_flow_block_par_auto",
        "def mk_flow_block_par_auto(self, name: str) -> FlowBlockIdent",
        "Makes a parallel block that finishes once every branch has named `name`; open it with "
        "initialize_flow_block and close it with finalize_flow_block. Refuses a name that breaks "
        "the naming rules and any call once build_flow has run.",
        [](ModelArena& m, const std::string& name) { return m.make_flow_block_par(name, false); });
    bind_named_factory(
        cls, "mk_flow_block_par_no_sync",
        "def mk_flow_block_par_no_sync(self, name: str) -> FlowBlockIdent",
        "Makes a parallel block whose branches are not waited for named `name`; open it with "
        "initialize_flow_block and close it with finalize_flow_block. Refuses a name that breaks "
        "the naming rules and any call once build_flow has run.",
        [](ModelArena& m, const std::string& name) { return m.make_flow_block_par(name, true); });
    bind_choice_factories(cls);
    bind_zero_cycle_factories(cls);
}

void bind_lifecycle(ArenaClass& cls) {
    bind_block_op(cls, "initialize_flow_block",
                  "def initialize_flow_block(self, block_i: FlowBlockIdent) -> None",
                  "Opens the block: the assignments and blocks made until it is finalised go into "
                  "it. A lazily closed block on top of the flow block stack is finalised first. "
                  "Refuses a block of another arena, one already opened, and one that may not be "
                  "opened in the block on top of the stack.",
                  [](ModelArena& m, const CallArgs& a, const FlowBlockIdent& b) {
                      a.refuse_if(0, check_block_not_open(m, b));
                      refuse(check_open_block(m, b));
                      refuse(check_flow_block_open(m, b));
                      m.initialize_flow_block(b);
                  });
    bind_block_op(cls, "check_flow_block_prefinalize",
                  "def check_flow_block_prefinalize(self, block_i: FlowBlockIdent) -> None",
                  "Runs the block's checks before it is closed and raises ValueError with the "
                  "block's message when one fails.",
                  [](ModelArena& m, const CallArgs&, const FlowBlockIdent& b) {
                      if (auto failure = m.check_flow_block_prefinalize(b)) {
                          raise_value_error(*failure);
                      }
                  });
    bind_block_op(
        cls, "finalize_flow_block",
        "def finalize_flow_block(self, block_i: FlowBlockIdent) -> None",
        "Closes the block opened last. Refuses a block of another arena, one that is not the open "
        "block on top of the flow block stack, and one whose contents it cannot close with.",
        [](ModelArena& m, const CallArgs&, const FlowBlockIdent& b) {
            refuse(check_finalize_block(m, b));
            refuse(check_flow_block_close(m, b));
            m.finalize_flow_block(b);
        });
    def_method(
        cls, "finalize_flow_procedure", "def finalize_flow_procedure(self) -> None",
        "Ends the flow procedure of the tracked module: finalises the one lazily closed block left "
        "on the flow block stack, if any. Refuses a stack with blocks still open.",
        [](ArenaObject& self, const CallArgs&) {
            self.exclusive([](ModelArena& m) {
                refuse(check_finalize_procedure(m));
                refuse(check_flow_procedure_end(m));
                m.finalize_flow_procedure();
            });
        });
    def_method(cls, "get_last_skeleton_flow_block_type",
               "def get_last_skeleton_flow_block_type(self) -> int",
               "The FlowBlockType of the innermost open Sequential (0) or Parallel (1) block; 1 "
               "when there is none.",
               [](ArenaObject& self, const CallArgs&) {
                   return self.shared([](const ModelArena& m) {
                       return static_cast<int>(m.get_last_skeleton_flow_block_type());
                   });
               });
    def_method(
        cls, "build_flow", "def build_flow(self) -> None",
        "Builds the control of the design: every module of the tree under the top module, with its "
        "clock, reset and start pulse, and every complex component. After it the model takes no "
        "additions. Refuses a design with no top module or one that is not complete (the message "
        "says why); a build that fails part way leaves the arena refusing every call.",
        [](ArenaObject& self, const CallArgs&) {
            self.exclusive([](ModelArena& m) {
                refuse(check_build_flow(m));
                m.build_flow();
            });
        });
}

}  // namespace

void bind_flow_methods(ArenaClass& cls) {
    bind_factories(cls);
    bind_loop_factories(cls);
    bind_shared_unit_factories(cls);
    bind_lifecycle(cls);
}

}  // namespace velmora::py
