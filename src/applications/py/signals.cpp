// Modules, the module trace stack, and the plain signals and storage.
#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>

#include "applications/py/converters.h"
#include "applications/py/method_def.h"
#include "applications/py/owned_object.h"
#include "applications/py/register.h"

namespace nb = nanobind;

namespace velmora::py {
namespace {

using ModuleOp = void (ModelArena::*)(const ModuleIdent&);
using ModuleCheck = Problem (*)(const ModelArena&, const ModuleIdent&);

/// A method taking one `module_i`, checked by `check` and forwarded to `op`.
void bind_module_op(ArenaClass& cls, const char* method, const char* sig, const char* doc,
                    ModuleOp op, ModuleCheck check) {
    def_method(
        cls, method, sig, doc,
        [method, op, check](ArenaObject& self, const CallArgs& a) {
            ModuleIdent module = a.ident<ModuleIdent>(0);
            self.exclusive([&](ModelArena& m) {
                a.check_ident(m, 0, module);
                a.refuse_if(0, check(m, module));
                (m.*op)(module);
            });
        },
        "module_i");
}

void bind_modules(ArenaClass& cls) {
    def_method(
        cls, "mk_module", "def mk_module(self, name: str) -> ModuleIdent",
        "Makes a module named `name`; its Verilog module and file are named after it. Refuses a "
        "name that breaks the naming rules or holds a path separator, a module beyond the nesting "
        "limit of the module trace stack, and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            a.refuse_if(0, check_module_name(name));
            return self.exclusive([&](ModelArena& m) {
                check_open_for_additions(m, "mk_module");
                refuse(check_module_depth(m));
                return m.mk_module(name);
            });
        },
        "name");
    bind_module_op(cls, "track_module_at_com_init",
                   "def track_module_at_com_init(self, module_i: ModuleIdent) -> None",
                   "Pushes the module onto the module trace stack for component initialisation: "
                   "the components made next belong to it. Refuses a module of another arena or "
                   "one that cannot be tracked at this point (the message says why).",
                   &ModelArena::track_module_at_com_init,
                   [](const ModelArena& m, const ModuleIdent& id) {
                       return check_track(m, id, ModuleInitStage::CompInit);
                   });
    bind_module_op(cls, "untrack_module_at_com_init",
                   "def untrack_module_at_com_init(self, module_i: ModuleIdent) -> None",
                   "Pops the module pushed by track_module_at_com_init and registers it as a "
                   "sub-module of the module below it. Refuses a module that is not on top of the "
                   "trace stack at component initialisation.",
                   &ModelArena::untrack_module_at_com_init,
                   [](const ModelArena& m, const ModuleIdent& id) {
                       return check_untrack(m, id, ModuleInitStage::CompInit);
                   });
    bind_module_op(
        cls, "track_module_at_flow_init",
        "def track_module_at_flow_init(self, module_i: ModuleIdent) -> None",
        "Pushes the module onto the module trace stack for flow block initialisation: the flow "
        "blocks and assignments made next belong to it. Refuses a module of another arena or one "
        "that cannot be tracked at this point (the message says why).",
        &ModelArena::track_module_at_flow_init, [](const ModelArena& m, const ModuleIdent& id) {
            return check_track(m, id, ModuleInitStage::FlowBlockInit);
        });
    bind_module_op(cls, "untrack_module_at_flow_init",
                   "def untrack_module_at_flow_init(self, module_i: ModuleIdent) -> None",
                   "Pops the module pushed by track_module_at_flow_init. Refuses a module that is "
                   "not on top of the trace stack at flow block initialisation.",
                   &ModelArena::untrack_module_at_flow_init,
                   [](const ModelArena& m, const ModuleIdent& id) {
                       return check_untrack(m, id, ModuleInitStage::FlowBlockInit);
                   });
    bind_module_op(
        cls, "set_top_module", "def set_top_module(self, module_i: ModuleIdent) -> None",
        "Makes the module the top of the design: build_flow builds the module tree from it. "
        "Refuses a module of another arena or one that cannot be the top (the message says why).",
        &ModelArena::set_top_module, &check_top_module);
}

void bind_signals(ArenaClass& cls) {
    def_method(
        cls, "mk_reg", "def mk_reg(self, name: str, bit_width: int) -> HcpIdent",
        "Makes a register (clocked) named `name`, `bit_width` bits wide, in the module on top of "
        "the trace stack. Refuses a name that breaks the naming rules, a width outside 1 to the "
        "maximum width, a call with no module tracked, and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            int32_t width = a.bit_width(1);
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "mk_reg");
                return m.make_reg(true, name, width);
            });
        },
        "name", "bit_width");
    def_method(
        cls, "mk_wire", "def mk_wire(self, name: str, bit_width: int) -> HcpIdent",
        "Makes a wire (combinational) named `name`, `bit_width` bits wide, in the module on top of "
        "the trace stack. Refuses a name that breaks the naming rules, a width outside 1 to the "
        "maximum width, a call with no module tracked, and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            int32_t width = a.bit_width(1);
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "mk_wire");
                return m.make_wire(true, name, width);
            });
        },
        "name", "bit_width");
    def_method(
        cls, "mk_val", "def mk_val(self, name: str, bit_width: int, init_val: int) -> HcpIdent",
        "Makes a constant named `name` of `bit_width` bits holding `init_val`, an unsigned 64-bit "
        "int, in the module on top of the trace stack. Refuses a name that breaks the naming "
        "rules, a width outside 1 to the maximum width, a value that does not fit in `bit_width` "
        "bits, a call with no module tracked, and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            int32_t width = a.bit_width(1);
            uint64_t init = a.u64(2);
            a.check_u64_fits(2, init, width);
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "mk_val");
                return m.make_val(true, name, width, init);
            });
        },
        "name", "bit_width", "init_val");
    def_method(
        cls, "mk_val_vv",
        "def mk_val_vv(self, name: str, bit_width: int, limbs: collections.abc.Sequence[int]) -> "
        "HcpIdent",
        "Makes a constant named `name` of `bit_width` bits (wider than 64 if need be) whose value "
        "is `limbs`, unsigned 64-bit words, least significant first. Refuses a name that breaks "
        "the naming rules, a width outside 1 to the maximum width, a word that is not an unsigned "
        "64-bit int, a call with no module tracked, and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            int32_t width = a.bit_width(1);
            std::vector<uint64_t> limbs = a.u64_list(2);
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "mk_val_vv");
                return m.make_val_vv(true, name, width, std::move(limbs));
            });
        },
        "name", "bit_width", "limbs");
    def_method(
        cls, "mk_mem_blk",
        "def mk_mem_blk(self, name: str, bit_width: int, index_width: int) -> HcpIdent",
        "Makes a memory block named `name` of words `bit_width` bits wide at indexes 0 to "
        "2^index_width - 1, in the module on top of the trace stack. Refuses a name that breaks "
        "the naming rules, widths out of range, a call with no module tracked, and any call once "
        "build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            int32_t width = a.bit_width(1);
            int32_t index_width = a.index_width(2);
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "mk_mem_blk");
                return m.make_mem_blk(true, name, width, index_width);
            });
        },
        "name", "bit_width", "index_width");
    def_method(
        cls, "mk_mem_ele",
        "def mk_mem_ele(self, name: str, master_mem_blk_i: HcpIdent, index_ident: HcpIdent, "
        "bit_width: int, is_read: bool) -> HcpIdent",
        "Makes an element named `name` of memory block `master_mem_blk_i`, the word at the index "
        "held by `index_ident`: a read element when `is_read`, else a write element. Refuses a "
        "master that is not a memory block or not of a module this one can reach, a width other "
        "than the block's, an index outside the tracked module's tree, a call with no module "
        "tracked, and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            HcpIdent master = a.ident<HcpIdent>(1);
            HcpIdent index = a.ident<HcpIdent>(2);
            int32_t width = a.bit_width(3);
            bool is_read = a.flag(4);
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "mk_mem_ele");
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
        },
        "name", "master_mem_blk_i", "index_ident", "bit_width", "is_read");
}

/// A method setting the reset or default value of a component of kind `kind`.
template <void (ModelArena::*Set)(const HcpIdent&, const HcpIdent&)>
void bind_value_setter(ArenaClass& cls, const char* method, const char* sig, const char* doc,
                       const char* target_arg, const char* value_arg, HwComponentType kind) {
    def_method(
        cls, method, sig, doc,
        [=](ArenaObject& self, const CallArgs& a) {
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
        },
        target_arg, value_arg);
}

void bind_signal_ops(ArenaClass& cls) {
    def_method(
        cls, "get_hw_bit_sz", "def get_hw_bit_sz(self, hcp_i: HcpIdent) -> int",
        "The width in bits of component `hcp_i`. Refuses a component of another arena.",
        [](ArenaObject& self, const CallArgs& a) {
            HcpIdent hcp = a.ident<HcpIdent>(0);
            return self.shared([&](const ModelArena& m) {
                a.check_ident(m, 0, hcp);
                return m.hcp_width(hcp);
            });
        },
        "hcp_i");
    bind_value_setter<&ModelArena::set_reg_reset>(
        cls, "set_reg_reset",
        "def set_reg_reset(self, reg_i: HcpIdent, reset_val_i: HcpIdent) -> None",
        "Gives register `reg_i` the value of `reset_val_i` on reset. Refuses a target that is not "
        "a register, a value of another width or of a kind that cannot be a reset value, one "
        "outside the register's module tree, and any call once build_flow has run.",
        "reg_i", "reset_val_i", HwComponentType::Reg);
    bind_value_setter<&ModelArena::set_wire_default>(
        cls, "set_wire_default",
        "def set_wire_default(self, wire_i: HcpIdent, default_val_i: HcpIdent) -> None",
        "Gives wire `wire_i` the value of `default_val_i` when no assignment drives it. Refuses a "
        "target that is not a wire, a value of another width or of a kind that cannot be a "
        "default, one outside the wire's module tree, and any call once build_flow has run.",
        "wire_i", "default_val_i", HwComponentType::Wire);
    def_method(
        cls, "mark_as_io",
        "def mark_as_io(self, hcp_i: HcpIdent, is_input: bool, io_name: str) -> None",
        "Makes component `hcp_i` a port of its module, an input when `is_input`, else an output, "
        "named `io_name` in Verilog. Refuses a component of a kind that cannot be that port and a "
        "port name that breaks the naming rules or is already taken.",
        [](ArenaObject& self, const CallArgs& a) {
            HcpIdent hcp = a.ident<HcpIdent>(0);
            bool is_input = a.flag(1);
            std::string io_name = a.name(2);
            self.exclusive([&](ModelArena& m) {
                a.check_ident(m, 0, hcp);
                a.refuse_if(0, check_io_mark_kind(m, hcp, is_input));
                a.refuse_if(2, check_io_name(m, hcp, io_name));
                m.mark_as_io(hcp, is_input, std::move(io_name));
            });
        },
        "hcp_i", "is_input", "io_name");
    def_method(
        cls, "is_marked_as_io", "def is_marked_as_io(self, hcp_i: HcpIdent) -> bool",
        "Whether component `hcp_i` was made a port with mark_as_io.",
        [](ArenaObject& self, const CallArgs& a) {
            HcpIdent hcp = a.ident<HcpIdent>(0);
            return self.shared([&](const ModelArena& m) {
                a.check_ident(m, 0, hcp);
                return m.is_marked_as_io(hcp);
            });
        },
        "hcp_i");
}

}  // namespace

void bind_module_signal_methods(ArenaClass& cls) {
    bind_modules(cls);
    bind_signals(cls);
    bind_signal_ops(cls);
}

}  // namespace velmora::py
