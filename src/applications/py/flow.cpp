// Flow blocks: factories, the open/close protocol, and the build of the design's control.
#include <nanobind/nanobind.h>

#include "applications/py/converters.h"
#include "applications/py/errors.h"
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
void bind_block_op(ArenaClass& cls, const char* method, BlockOp op) {
    cls.def(method, [method, op](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a(method, {"block_i"}, 1, args, kwargs);
        FlowBlockIdent block = a.ident<FlowBlockIdent>(0);
        self.exclusive([&](ModelArena& m) {
            a.check_ident(m, 0, block);
            op(m, a, block);
        });
    });
}

using NamedFactory = FlowBlockIdent (*)(ModelArena&, const std::string&);

/// A block factory taking only `name`.
void bind_named_factory(ArenaClass& cls, const char* method, NamedFactory make) {
    cls.def(method, [method, make](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a(method, {"name"}, 1, args, kwargs);
        std::string name = a.name(0);
        return self.exclusive([&](ModelArena& m) {
            check_open_for_additions(m, method);
            return make(m, name);
        });
    });
}

using CondFactory = FlowBlockIdent (ModelArena::*)(std::string_view, const HcpIdent&, OptSlice);

/// A block factory taking `name`, `cond_i` and `cond_slice=None`; the condition must be one bit.
void bind_cond_factory(ArenaClass& cls, const char* method, CondFactory make) {
    cls.def(method, [method, make](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a(method, {"name", "cond_i", "cond_slice"}, 2, args, kwargs);
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
    });
}

void bind_choice_factories(ArenaClass& cls) {
    bind_cond_factory(cls, "mk_flow_block_cif", &ModelArena::make_flow_block_cif);
    bind_cond_factory(cls, "mk_flow_block_sif", &ModelArena::make_flow_block_sif);
    bind_cond_factory(cls, "mk_flow_block_cselif", &ModelArena::make_flow_block_cselif);
    bind_named_factory(cls, "mk_flow_block_cselse", [](ModelArena& m, const std::string& name) {
        return m.make_flow_block_cselse(name);
    });
    // A pick starts every pif whose condition holds, all in the same cycle, and the pidef when
    // none holds. Its exit is not synchronised: each branch drives it when it finishes, so with
    // several matching pifs of different lengths the exit is high once per finishing branch (and
    // what follows the pick starts again each time). Building it warns so on standard error.
    bind_named_factory(cls, "mk_flow_block_pick", [](ModelArena& m, const std::string& name) {
        return m.make_flow_block_pick(name);
    });
    bind_cond_factory(cls, "mk_flow_block_pif", &ModelArena::make_flow_block_pif);
    bind_named_factory(cls, "mk_flow_block_pidef", [](ModelArena& m, const std::string& name) {
        return m.make_flow_block_pidef(name);
    });
}

void bind_zero_cycle_factories(ArenaClass& cls) {
    bind_cond_factory(cls, "mk_flow_block_zif", &ModelArena::make_flow_block_zif);
    bind_cond_factory(cls, "mk_flow_block_zelif", &ModelArena::make_flow_block_zelif);
    bind_named_factory(cls, "mk_flow_block_zelse", [](ModelArena& m, const std::string& name) {
        return m.make_flow_block_zelse(name);
    });
    cls.def("mk_flow_block_zstate", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_flow_block_zstate", {"name", "state_i"}, 2, args, kwargs);
        std::string name = a.name(0);
        HcpIdent state = a.ident<HcpIdent>(1);
        return self.exclusive([&](ModelArena& m) {
            check_open_for_additions(m, "mk_flow_block_zstate");
            a.check_ident(m, 1, state);
            return m.make_flow_block_zstate(name, state);
        });
    });
    cls.def("mk_flow_block_zcase", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_flow_block_zcase", {"name", "match_val"}, 2, args, kwargs);
        std::string name = a.name(0);
        int32_t match_val = a.i32(1);
        a.refuse_if(1, check_zcase_match_val(match_val));
        return self.exclusive([&](ModelArena& m) {
            check_open_for_additions(m, "mk_flow_block_zcase");
            return m.make_flow_block_zcase(name, match_val);
        });
    });
}

/// A block factory taking `name` and a positive count (`what` names it in the refusal).
template <class Make>
void bind_count_factory(ArenaClass& cls, const char* method, const char* count_arg,
                        const char* what, Make make) {
    cls.def(method, [=](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a(method, {"name", count_arg}, 2, args, kwargs);
        std::string name = a.name(0);
        int32_t count = a.i32(1);
        if (count <= 0) raise_value_error(cat(what, " must be positive, got ", count));
        return self.exclusive([&](ModelArena& m) {
            check_open_for_additions(m, method);
            return make(m, name, count);
        });
    });
}

void bind_loop_factories(ArenaClass& cls) {
    bind_cond_factory(cls, "mk_flow_block_cwhile", &ModelArena::make_flow_block_cwhile);
    bind_cond_factory(cls, "mk_flow_block_swhile", &ModelArena::make_flow_block_swhile);
    bind_cond_factory(cls, "mk_flow_block_do_while", &ModelArena::make_flow_block_do_while);
    bind_cond_factory(cls, "mk_flow_block_scwait", &ModelArena::make_flow_block_scwait);
    bind_count_factory(cls, "mk_flow_block_counter_loop", "last_loop_cnt", "counter loop count",
                       [](ModelArena& m, const std::string& name, int32_t n) {
                           return m.make_flow_block_counter_loop(name, n);
                       });
    bind_count_factory(cls, "mk_flow_block_sywait", "cycle", "sywait cycle",
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
            cat("the condition of bind ", k, ", on ", binds[k].arb.ident_base.abs_view()));
    }
    a.refuse_if(arg, check_zync_arbs_distinct(binds));
}

void bind_shared_unit_factories(ArenaClass& cls) {
    cls.def("mk_flow_block_pip", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_flow_block_pip", {"name", "arb_i", "priority", "auto_req", "auto_restart"},
                   2, args, kwargs);
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
    });
    cls.def("mk_flow_block_zync", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_flow_block_zync", {"name", "arb_i", "priority", "auto_ack"}, 2, args,
                   kwargs);
        std::string name = a.name(0);
        CcpIdent arb = a.arb(1);
        int32_t priority = a.opt_i32(2).value_or(kDefaultLeafPriority);
        bool auto_ack = a.flag(3);
        return self.exclusive([&](ModelArena& m) {
            check_can_make_component(m, "mk_flow_block_zync");
            a.check_ident(m, 1, arb);
            return m.make_flow_block_zync(name, arb, priority, auto_ack);
        });
    });
    cls.def("mk_flow_block_zync_multi", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_flow_block_zync_multi", {"name", "binds", "match_all", "priority"}, 3, args,
                   kwargs);
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
    });
}

void bind_factories(ArenaClass& cls) {
    bind_named_factory(cls, "mk_flow_block_seq", [](ModelArena& m, const std::string& name) {
        return m.make_flow_block_seq(name);
    });
    bind_named_factory(cls, "mk_flow_block_par_auto", [](ModelArena& m, const std::string& name) {
        return m.make_flow_block_par(name, false);
    });
    bind_named_factory(
        cls, "mk_flow_block_par_no_sync",
        [](ModelArena& m, const std::string& name) { return m.make_flow_block_par(name, true); });
    bind_choice_factories(cls);
    bind_zero_cycle_factories(cls);
}

void bind_lifecycle(ArenaClass& cls) {
    bind_block_op(cls, "initialize_flow_block",
                  [](ModelArena& m, const CallArgs& a, const FlowBlockIdent& b) {
                      a.refuse_if(0, check_block_not_open(m, b));
                      refuse(check_open_block(m, b));
                      refuse(check_flow_block_open(m, b));
                      m.initialize_flow_block(b);
                  });
    bind_block_op(cls, "check_flow_block_prefinalize",
                  [](ModelArena& m, const CallArgs&, const FlowBlockIdent& b) {
                      if (auto failure = m.check_flow_block_prefinalize(b)) {
                          raise_value_error(*failure);
                      }
                  });
    bind_block_op(cls, "finalize_flow_block",
                  [](ModelArena& m, const CallArgs&, const FlowBlockIdent& b) {
                      refuse(check_finalize_block(m, b));
                      refuse(check_flow_block_close(m, b));
                      m.finalize_flow_block(b);
                  });
    cls.def("finalize_flow_procedure", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs("finalize_flow_procedure", {}, 0, args, kwargs);
        self.exclusive([](ModelArena& m) {
            refuse(check_finalize_procedure(m));
            refuse(check_flow_procedure_end(m));
            m.finalize_flow_procedure();
        });
    });
    cls.def("get_last_skeleton_flow_block_type",
            [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
                CallArgs("get_last_skeleton_flow_block_type", {}, 0, args, kwargs);
                return self.shared([](const ModelArena& m) {
                    return static_cast<int>(m.get_last_skeleton_flow_block_type());
                });
            });
    cls.def("build_flow", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs("build_flow", {}, 0, args, kwargs);
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
