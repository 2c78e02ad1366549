// User assignments and the per-thread assignment priority mode.
#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>

#include "applications/py/converters.h"
#include "applications/py/errors.h"
#include "applications/py/method_def.h"
#include "applications/py/owned_object.h"
#include "applications/py/register.h"
#include "applications/py/resize_warning.h"
#include "model/controller/asm_priority.h"
#include "model/validate.h"
#include "util/str_cat.h"

namespace nb = nanobind;

namespace velmora::py {
namespace {

/// Destination and source lie in the module tree that the assignment is made in.
void check_connects(const ModelArena& m, const CallArgs& args, const HcpIdent& des,
                    const PyOperand& src) {
    ModuleRef here = current_module(m).value_or(module_of(m, des));
    args.refuse_if(0, check_same_tree(m, des, here));
    if (const HcpIdent* sig = src.ident()) args.refuse_if(1, check_same_tree(m, *sig, here));
}

void gen_basic_assign(ModelArena& m, const CallArgs& args, const HcpIdent& des,
                      const PyOperand& src, OptSlice src_slice, OptSlice des_slice) {
    check_open_for_additions(m, "gen_basic_assign");
    args.check_ident(m, 0, des);
    if (Problem p = check_assignment_scope(m)) raise_value_error(*p);
    args.check_operand(m, 1, src);
    args.check_slice(m, 3, des, des_slice);
    // An int source is made to the destination's size; a slice given with it is not used.
    if (const HcpIdent* sig = src.ident()) args.check_slice(m, 2, *sig, src_slice);
    args.refuse_kind_if(0, check_assignable(des));
    check_connects(m, args, des, src);
    int32_t des_width = used_width(m, des, des_slice);
    if (src.is_int()) {
        refuse(check_module_tracked(m, "gen_basic_assign with an int source"));
    } else if (used_width(m, *src.ident(), src_slice) < des_width) {
        refuse(check_module_tracked(
            m, "gen_basic_assign with a source narrower than its destination"));
    }
    HcpIdent src_sig;
    if (src.is_int()) {
        int32_t width = des_slice ? des_slice->size() : m.hcp_width(des);
        args.check_int_fits(1, src, width, des_slice ? "des_slice" : "the destination");
        src_sig = operand_signal(m, src, "const", width);
        src_slice = Slice{0, width};
    } else {
        src_sig = *src.ident();
    }
    SanitizedSrc fitted = m.gen_basic_assign(des, src_sig, src_slice, des_slice);
    // Warned while the arena is still in use: a warning hook that calls back in is refused.
    warn_resized(fitted, des);
}

}  // namespace

void bind_assign_methods(ArenaClass& cls) {
    def_method(
        cls, "gen_basic_assign",
        "def gen_basic_assign(self, des_i: HcpIdent, src: HcpIdent | int, src_slice: Slice | None "
        "= None, des_slice: Slice | None = None) -> None",
        "Assigns `src` to `des_i` in the flow block being built (or, outside any block, in the "
        "module); the slices select bits. An int source becomes a constant named \"const_c\" of "
        "the destination's width (the size of `des_slice` when given); a signal source of another "
        "width is fitted to the destination with a warning. Refuses a destination that cannot be "
        "assigned, an int that does not fit, a slice outside its signal, signals outside the "
        "module tree being built, and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            HcpIdent des = a.ident<HcpIdent>(0);
            PyOperand src = a.operand(1);
            OptSlice src_slice = a.slice(2);
            OptSlice des_slice = a.slice(3);
            self.exclusive(
                [&](ModelArena& m) { gen_basic_assign(m, a, des, src, src_slice, des_slice); });
        },
        "des_i", "src", opt("src_slice"), opt("des_slice"));
    def_method(cls, "get_asm_pri_mode", "def get_asm_pri_mode(self) -> str",
               "\"Auto\" or \"Manual\": how this thread gives assignments their priority.",
               [](ArenaObject& self, const CallArgs&) {
                   return self.shared([](const ModelArena&) {
                       return std::string(
                           current_asm_pri_mode() == AsmNodePriorityMode::Auto ? "Auto" : "Manual");
                   });
               });
    def_method(cls, "get_asm_pri_val", "def get_asm_pri_val(self) -> int",
               "The current assignment priority value of this thread.",
               [](ArenaObject& self, const CallArgs&) {
                   return self.shared([](const ModelArena&) { return current_asm_priority(); });
               });
    def_method(cls, "set_asm_pri_to_auto", "def set_asm_pri_to_auto(self) -> None",
               "Makes this thread give assignments automatic priorities.",
               [](ArenaObject& self, const CallArgs&) {
                   self.exclusive([](ModelArena&) { set_asm_pri_to_auto(); });
               });
    def_method(
        cls, "set_asm_pri_to_manual", "def set_asm_pri_to_manual(self, priority: int) -> None",
        "Makes this thread give the assignments that follow the priority `priority`, until "
        "set_asm_pri_to_auto.",
        [](ArenaObject& self, const CallArgs& a) {
            int32_t priority = a.i32(0);
            self.exclusive([&](ModelArena&) { set_asm_pri_to_manual(priority); });
        },
        "priority");
}

}  // namespace velmora::py
