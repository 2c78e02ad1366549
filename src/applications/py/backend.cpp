// The Verilog backend object and the Verilog names of modules and components.
#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>

#include "applications/py/converters.h"
#include "applications/py/errors.h"
#include "applications/py/method_def.h"
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
    nb::class_<BackendObject> backend(m, "BackendVerilog");
    backend.def(
        "__init__",
        [](BackendObject* self, nb::handle arena_h) {
            static constexpr std::array<const char*, 1> kNames{"arena"};
            const std::array<nb::handle, 1> values{arena_h};
            CallArgs a(kNames, values);
            ArenaObject& arena = a.instance<ArenaObject>(0, "ModelArena");
            ModelArena model = arena.exclusive([&](ModelArena&) { return arena.take_model(); });
            new (self) BackendObject(std::move(model));
        },
        nb::arg("arena").none(), nb::sig("def __init__(self, arena: ModelArena) -> None"),
        "Takes the model over from `arena`, which is left an empty ModelArena, to write it as "
        "Verilog with emit. Refuses anything but a ModelArena, and one in use or half built.");
    def_method(
        backend, "emit", "def emit(self, output_dir: str, top_file_name: str) -> None",
        "Routes the design and writes one Verilog file per module into `output_dir`, the top "
        "module's as `top_file_name`. Refuses a directory or file name it cannot write, a design "
        "that was not built, and a backend whose earlier emit stopped part way.",
        [](BackendObject& self, const CallArgs& a) {
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
        },
        "output_dir", "top_file_name");
}

void bind_naming_methods(ArenaClass& cls) {
    def_method(
        cls, "module_verilog_name", "def module_verilog_name(self, module_i: ModuleIdent) -> str",
        "The name the module is written under in Verilog. Refuses a module of another arena.",
        [](ArenaObject& self, const CallArgs& a) {
            ModuleIdent module = a.ident<ModuleIdent>(0);
            return self.shared([&](const ModelArena& m) -> std::string {
                a.check_ident(m, 0, module);
                return module_sim_name_vb(m, module);
            });
        },
        "module_i");
    def_method(
        cls, "hcp_verilog_name", "def hcp_verilog_name(self, hcp_i: HcpIdent) -> str",
        "The name component `hcp_i` is written under in Verilog. Refuses a component of another "
        "arena.",
        [](ArenaObject& self, const CallArgs& a) {
            HcpIdent hcp = a.ident<HcpIdent>(0);
            return self.shared([&](const ModelArena& m) -> std::string {
                a.check_ident(m, 0, hcp);
                return hcp_verilog_name(m, hcp);
            });
        },
        "hcp_i");
}

}  // namespace velmora::py
