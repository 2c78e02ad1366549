// Modules, the module trace stack, and the plain signals and storage.
#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>

#include "applications/py/converters.h"
#include "applications/py/owned_object.h"
#include "applications/py/register.h"

namespace nb = nanobind;

namespace velmora::py {
namespace {

using ModuleOp = void (ModelArena::*)(const ModuleIdent&);

/// A method taking one `module_i` and forwarding it to `op`.
void bind_module_op(ArenaClass& cls, const char* method, ModuleOp op) {
    cls.def(method, [method, op](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a(method, {"module_i"}, 1, args, kwargs);
        ModuleIdent module = a.ident<ModuleIdent>(0);
        self.exclusive([&](ModelArena& m) { (m.*op)(module); });
    });
}

void bind_modules(ArenaClass& cls) {
    cls.def("mk_module", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_module", {"name"}, 1, args, kwargs);
        std::string name = a.str(0);
        return self.exclusive([&](ModelArena& m) { return m.mk_module(name); });
    });
    bind_module_op(cls, "track_module_at_com_init", &ModelArena::track_module_at_com_init);
    bind_module_op(cls, "untrack_module_at_com_init", &ModelArena::untrack_module_at_com_init);
    bind_module_op(cls, "track_module_at_flow_init", &ModelArena::track_module_at_flow_init);
    bind_module_op(cls, "untrack_module_at_flow_init", &ModelArena::untrack_module_at_flow_init);
    bind_module_op(cls, "set_top_module", &ModelArena::set_top_module);
}

void bind_signals(ArenaClass& cls) {
    cls.def("mk_reg", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_reg", {"name", "bit_width"}, 2, args, kwargs);
        std::string name = a.str(0);
        int32_t width = a.i32(1);
        return self.exclusive([&](ModelArena& m) { return m.make_reg(true, name, width); });
    });
    cls.def("mk_wire", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_wire", {"name", "bit_width"}, 2, args, kwargs);
        std::string name = a.str(0);
        int32_t width = a.i32(1);
        return self.exclusive([&](ModelArena& m) { return m.make_wire(true, name, width); });
    });
    cls.def("mk_val", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_val", {"name", "bit_width", "init_val"}, 3, args, kwargs);
        std::string name = a.str(0);
        int32_t width = a.i32(1);
        uint64_t init = a.u64(2);
        return self.exclusive([&](ModelArena& m) { return m.make_val(true, name, width, init); });
    });
    cls.def("mk_val_vv", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_val_vv", {"name", "bit_width", "limbs"}, 3, args, kwargs);
        std::string name = a.str(0);
        int32_t width = a.i32(1);
        std::vector<uint64_t> limbs = a.u64_list(2);
        return self.exclusive(
            [&](ModelArena& m) { return m.make_val_vv(true, name, width, std::move(limbs)); });
    });
    cls.def("mk_mem_blk", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_mem_blk", {"name", "bit_width", "index_width"}, 3, args, kwargs);
        std::string name = a.str(0);
        int32_t width = a.i32(1);
        int32_t index_width = a.i32(2);
        return self.exclusive(
            [&](ModelArena& m) { return m.make_mem_blk(true, name, width, index_width); });
    });
    cls.def("mk_mem_ele", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_mem_ele",
                   {"name", "master_mem_blk_i", "index_ident", "bit_width", "is_read"}, 5, args,
                   kwargs);
        std::string name = a.str(0);
        HcpIdent master = a.ident<HcpIdent>(1);
        HcpIdent index = a.ident<HcpIdent>(2);
        int32_t width = a.i32(3);
        bool is_read = a.flag(4);
        return self.exclusive([&](ModelArena& m) {
            return m.make_mem_ele(true, name, master, index, width, is_read);
        });
    });
}

void bind_signal_ops(ArenaClass& cls) {
    cls.def("get_hw_bit_sz", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("get_hw_bit_sz", {"hcp_i"}, 1, args, kwargs);
        HcpIdent hcp = a.ident<HcpIdent>(0);
        return self.shared([&](const ModelArena& m) { return m.hcp_width(hcp); });
    });
    cls.def("set_reg_reset", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("set_reg_reset", {"reg_i", "reset_val_i"}, 2, args, kwargs);
        HcpIdent reg = a.ident<HcpIdent>(0);
        HcpIdent reset_val = a.ident<HcpIdent>(1);
        self.exclusive([&](ModelArena& m) { m.set_reg_reset(reg, reset_val); });
    });
    cls.def("set_wire_default", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("set_wire_default", {"wire_i", "default_val_i"}, 2, args, kwargs);
        HcpIdent wire = a.ident<HcpIdent>(0);
        HcpIdent default_val = a.ident<HcpIdent>(1);
        self.exclusive([&](ModelArena& m) { m.set_wire_default(wire, default_val); });
    });
    cls.def("mark_as_io", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mark_as_io", {"hcp_i", "is_input", "io_name"}, 3, args, kwargs);
        HcpIdent hcp = a.ident<HcpIdent>(0);
        bool is_input = a.flag(1);
        std::string io_name = a.str(2);
        self.exclusive([&](ModelArena& m) { m.mark_as_io(hcp, is_input, std::move(io_name)); });
    });
    cls.def("is_marked_as_io", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("is_marked_as_io", {"hcp_i"}, 1, args, kwargs);
        HcpIdent hcp = a.ident<HcpIdent>(0);
        return self.shared([&](const ModelArena& m) {
            return m.read_hcp(hcp, [](const HcpBase& c) { return c.is_marked_as_io(); });
        });
    });
}

}  // namespace

void bind_module_signal_methods(ArenaClass& cls) {
    bind_modules(cls);
    bind_signals(cls);
    bind_signal_ops(cls);
}

}  // namespace velmora::py
