// The Verilog backend object and the Verilog names of modules and components.
#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>

#include "applications/py/converters.h"
#include "applications/py/errors.h"
#include "applications/py/owned_object.h"
#include "applications/py/register.h"
#include "backends/verilog/backend_verilog.h"
#include "backends/verilog/hcp_vb_dispatch.h"
#include "backends/verilog/module_vb.h"
#include "common/internal_error.h"
#include "util/str_cat.h"

namespace nb = nanobind;

namespace velmora::py {
namespace {

/// The Python `BackendVerilog`: owns the model taken over from a ModelArena object.
class BackendObject : public OwnedObject {
public:
    explicit BackendObject(ModelArena model)
        : OwnedObject("BackendVerilog"), backend_(std::move(model)) {}

    template <class F>
    decltype(auto) exclusive(F&& f) {
        return use(Access::Exclusive, [&]() -> decltype(auto) { return f(backend_); });
    }

private:
    BackendVerilog backend_;
};

}  // namespace

void register_backend_class(nb::module_& m) {
    nb::class_<BackendObject>(m, "BackendVerilog")
        .def("__init__",
             [](BackendObject* self, nb::args args, nb::kwargs kwargs) {
                 CallArgs a("BackendVerilog", {"arena"}, 1, args, kwargs);
                 ArenaObject& arena = a.instance<ArenaObject>(0, "ModelArena");
                 ModelArena model =
                     arena.exclusive([&](ModelArena&) { return arena.take_model(); });
                 new (self) BackendObject(std::move(model));
             })
        .def("emit", [](BackendObject& self, nb::args args, nb::kwargs kwargs) {
            CallArgs a("emit", {"output_dir", "top_file_name"}, 2, args, kwargs);
            std::string output_dir = a.str(0);
            std::string top_file_name = a.str(1);
            a.refuse_if(0, check_output_dir(output_dir));
            a.refuse_if(1, check_top_file_name(top_file_name));
            self.exclusive([&](BackendVerilog& backend) {
                if (const auto& failure = backend.failed_emit()) {
                    raise_value_error(cat("an earlier emit stopped part way (", *failure,
                                          "); the model this backend holds may be half routed: "
                                          "build the design again"));
                }
                refuse(check_emit_ready(backend.arena(), top_file_name));
                backend.emit(output_dir, top_file_name);
            });
        });
}

void bind_naming_methods(ArenaClass& cls) {
    cls.def("module_verilog_name", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("module_verilog_name", {"module_i"}, 1, args, kwargs);
        ModuleIdent module = a.ident<ModuleIdent>(0);
        return self.shared([&](const ModelArena& m) -> std::string {
            a.check_ident(m, 0, module);
            return module_sim_name_vb(m, module);
        });
    });
    cls.def("hcp_verilog_name", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("hcp_verilog_name", {"hcp_i"}, 1, args, kwargs);
        HcpIdent hcp = a.ident<HcpIdent>(0);
        return self.shared([&](const ModelArena& m) -> std::string {
            a.check_ident(m, 0, hcp);
            return hcp_verilog_name(m, hcp);
        });
    });
}

}  // namespace velmora::py
