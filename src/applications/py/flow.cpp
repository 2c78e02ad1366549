// Flow blocks: factories, the open/close protocol, and the build of the design's control.
#include <nanobind/nanobind.h>

#include "applications/py/converters.h"
#include "applications/py/errors.h"
#include "applications/py/owned_object.h"
#include "applications/py/register.h"

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
}

void bind_lifecycle(ArenaClass& cls) {
    bind_block_op(cls, "initialize_flow_block",
                  [](ModelArena& m, const CallArgs& a, const FlowBlockIdent& b) {
                      a.refuse_if(0, check_block_not_open(m, b));
                      refuse(check_open_block(m, b));
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
                      m.finalize_flow_block(b);
                  });
    cls.def("finalize_flow_procedure", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs("finalize_flow_procedure", {}, 0, args, kwargs);
        self.exclusive([](ModelArena& m) {
            refuse(check_finalize_procedure(m));
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
    bind_lifecycle(cls);
}

}  // namespace velmora::py
