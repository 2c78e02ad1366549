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
using ModuleCheck = Problem (*)(const ModelArena&, const ModuleIdent&);

/// A method taking one `module_i`, checked by `check` and forwarded to `op`.
void bind_module_op(ArenaClass& cls, const char* method, ModuleOp op, ModuleCheck check) {
    cls.def(method, [method, op, check](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a(method, {"module_i"}, 1, args, kwargs);
        ModuleIdent module = a.ident<ModuleIdent>(0);
        self.exclusive([&](ModelArena& m) {
            a.check_ident(m, 0, module);
            a.refuse_if(0, check(m, module));
            (m.*op)(module);
        });
    });
}

void bind_modules(ArenaClass& cls) {
    cls.def("mk_module", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_module", {"name"}, 1, args, kwargs);
        std::string name = a.name(0);
        a.refuse_if(0, check_module_name(name));
        return self.exclusive([&](ModelArena& m) {
            check_open_for_additions(m, "mk_module");
            refuse(check_module_depth(m));
            return m.mk_module(name);
        });
    });
    bind_module_op(cls, "track_module_at_com_init", &ModelArena::track_module_at_com_init,
                   [](const ModelArena& m, const ModuleIdent& id) {
                       return check_track(m, id, ModuleInitStage::CompInit);
                   });
    bind_module_op(cls, "untrack_module_at_com_init", &ModelArena::untrack_module_at_com_init,
                   [](const ModelArena& m, const ModuleIdent& id) {
                       return check_untrack(m, id, ModuleInitStage::CompInit);
                   });
    bind_module_op(cls, "track_module_at_flow_init", &ModelArena::track_module_at_flow_init,
                   [](const ModelArena& m, const ModuleIdent& id) {
                       return check_track(m, id, ModuleInitStage::FlowBlockInit);
                   });
    bind_module_op(cls, "untrack_module_at_flow_init", &ModelArena::untrack_module_at_flow_init,
                   [](const ModelArena& m, const ModuleIdent& id) {
                       return check_untrack(m, id, ModuleInitStage::FlowBlockInit);
                   });
    bind_module_op(cls, "set_top_module", &ModelArena::set_top_module, &check_top_module);
}

void bind_signals(ArenaClass& cls) {
    cls.def("mk_reg", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_reg", {"name", "bit_width"}, 2, args, kwargs);
        std::string name = a.name(0);
        int32_t width = a.bit_width(1);
        return self.exclusive([&](ModelArena& m) {
            check_open_for_additions(m, "mk_reg");
            refuse(check_module_tracked(m, "mk_reg"));
            return m.make_reg(true, name, width);
        });
    });
    cls.def("mk_wire", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_wire", {"name", "bit_width"}, 2, args, kwargs);
        std::string name = a.name(0);
        int32_t width = a.bit_width(1);
        return self.exclusive([&](ModelArena& m) {
            check_open_for_additions(m, "mk_wire");
            refuse(check_module_tracked(m, "mk_wire"));
            return m.make_wire(true, name, width);
        });
    });
    cls.def("mk_val", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_val", {"name", "bit_width", "init_val"}, 3, args, kwargs);
        std::string name = a.name(0);
        int32_t width = a.bit_width(1);
        uint64_t init = a.u64(2);
        a.check_u64_fits(2, init, width);
        return self.exclusive([&](ModelArena& m) {
            check_open_for_additions(m, "mk_val");
            refuse(check_module_tracked(m, "mk_val"));
            return m.make_val(true, name, width, init);
        });
    });
    cls.def("mk_val_vv", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_val_vv", {"name", "bit_width", "limbs"}, 3, args, kwargs);
        std::string name = a.name(0);
        int32_t width = a.bit_width(1);
        std::vector<uint64_t> limbs = a.u64_list(2);
        return self.exclusive([&](ModelArena& m) {
            check_open_for_additions(m, "mk_val_vv");
            refuse(check_module_tracked(m, "mk_val_vv"));
            return m.make_val_vv(true, name, width, std::move(limbs));
        });
    });
    cls.def("mk_mem_blk", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_mem_blk", {"name", "bit_width", "index_width"}, 3, args, kwargs);
        std::string name = a.name(0);
        int32_t width = a.bit_width(1);
        int32_t index_width = a.index_width(2);
        return self.exclusive([&](ModelArena& m) {
            check_open_for_additions(m, "mk_mem_blk");
            refuse(check_module_tracked(m, "mk_mem_blk"));
            return m.make_mem_blk(true, name, width, index_width);
        });
    });
    cls.def("mk_mem_ele", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_mem_ele",
                   {"name", "master_mem_blk_i", "index_ident", "bit_width", "is_read"}, 5, args,
                   kwargs);
        std::string name = a.name(0);
        HcpIdent master = a.ident<HcpIdent>(1);
        HcpIdent index = a.ident<HcpIdent>(2);
        int32_t width = a.bit_width(3);
        bool is_read = a.flag(4);
        return self.exclusive([&](ModelArena& m) {
            check_open_for_additions(m, "mk_mem_ele");
            refuse(check_module_tracked(m, "mk_mem_ele"));
            a.check_ident(m, 1, master);
            a.refuse_if(1, check_hcp_kind(master, HwComponentType::MemBlock));
            a.refuse_if(1, check_mem_ele_module(m, master));
            a.refuse_if(3, check_mem_ele_width(m, master, width));
            a.check_ident(m, 2, index);
            ModuleRef here = *current_module(m);
            a.refuse_if(1, check_same_tree(m, master, here));
            a.refuse_if(2, check_same_tree(m, index, here));
            return m.make_mem_ele(true, name, master, index, width, is_read);
        });
    });
}

/// A method setting the reset or default value of a component of kind `kind`.
template <void (ModelArena::*Set)(const HcpIdent&, const HcpIdent&)>
void bind_value_setter(ArenaClass& cls, const char* method, const char* target_arg,
                       const char* value_arg, HwComponentType kind) {
    cls.def(method, [=](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a(method, {target_arg, value_arg}, 2, args, kwargs);
        HcpIdent target = a.ident<HcpIdent>(0);
        HcpIdent value = a.ident<HcpIdent>(1);
        self.exclusive([&](ModelArena& m) {
            check_open_for_additions(m, method);
            a.check_ident(m, 0, target);
            a.refuse_if(0, check_hcp_kind(target, kind));
            a.check_ident(m, 1, value);
            a.refuse_if(1, check_same_width(m, target, value));
            a.refuse_if(1, check_reset_value(m, target, value));
            a.refuse_if(1, check_same_tree(m, value, module_of(m, target)));
            (m.*Set)(target, value);
        });
    });
}

void bind_signal_ops(ArenaClass& cls) {
    cls.def("get_hw_bit_sz", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("get_hw_bit_sz", {"hcp_i"}, 1, args, kwargs);
        HcpIdent hcp = a.ident<HcpIdent>(0);
        return self.shared([&](const ModelArena& m) {
            a.check_ident(m, 0, hcp);
            return m.hcp_width(hcp);
        });
    });
    bind_value_setter<&ModelArena::set_reg_reset>(cls, "set_reg_reset", "reg_i", "reset_val_i",
                                                  HwComponentType::Reg);
    bind_value_setter<&ModelArena::set_wire_default>(cls, "set_wire_default", "wire_i",
                                                     "default_val_i", HwComponentType::Wire);
    cls.def("mark_as_io", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mark_as_io", {"hcp_i", "is_input", "io_name"}, 3, args, kwargs);
        HcpIdent hcp = a.ident<HcpIdent>(0);
        bool is_input = a.flag(1);
        std::string io_name = a.name(2);
        self.exclusive([&](ModelArena& m) {
            a.check_ident(m, 0, hcp);
            a.refuse_if(0, check_io_mark_kind(m, hcp, is_input));
            a.refuse_if(2, check_io_name(m, hcp, io_name));
            m.mark_as_io(hcp, is_input, std::move(io_name));
        });
    });
    cls.def("is_marked_as_io", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("is_marked_as_io", {"hcp_i"}, 1, args, kwargs);
        HcpIdent hcp = a.ident<HcpIdent>(0);
        return self.shared([&](const ModelArena& m) {
            a.check_ident(m, 0, hcp);
            return m.is_marked_as_io(hcp);
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
