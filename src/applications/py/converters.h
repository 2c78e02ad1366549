#pragma once
// Conversion of Python call arguments into the model's values, shared by every binding file.
// nanobind matches a call's arguments to the method's named parameters and hands each one over as
// a handle; CallArgs converts them, so that a failure names the argument it is about.
#include <nanobind/nanobind.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "applications/py/ident_objects.h"
#include "model/common/ident.h"
#include "model/complex_hardware/arb_policy.h"
#include "model/hw_component/hcp_term.h"
#include "model/hw_component/logic_op.h"
#include "model/hw_component/slice.h"
#include "model/validate.h"

namespace velmora {
class ModelArena;
}

namespace velmora::py {

/// Python-side class name of each identity record, used in conversion messages.
template <class Id>
struct IdentClassName;
template <>
struct IdentClassName<HcpIdent> {
    static constexpr const char* value = "HcpIdent";
};
template <>
struct IdentClassName<ModuleIdent> {
    static constexpr const char* value = "ModuleIdent";
};
template <>
struct IdentClassName<FlowBlockIdent> {
    static constexpr const char* value = "FlowBlockIdent";
};
template <>
struct IdentClassName<CcpIdent> {
    static constexpr const char* value = "CcpIdent";
};

/// Name and member count of each enumeration accepted from Python.
template <class E>
struct EnumInfo;
template <>
struct EnumInfo<LogicOp> {
    static constexpr const char* name = "LogicOp";
    static constexpr uint32_t count = kLogicOpCount;
};
template <>
struct EnumInfo<HwComponentType> {
    static constexpr const char* name = "HwComponentType";
    static constexpr uint32_t count = kHwComponentTypeCount;
};
template <>
struct EnumInfo<FlowBlockType> {
    static constexpr const char* name = "FlowBlockType";
    static constexpr uint32_t count = kFlowBlockTypeCount;
};

template <>
struct EnumInfo<ArbSamePriPolicy> {
    static constexpr const char* name = "ArbSamePriPolicy";
    static constexpr uint32_t count = kArbSamePriPolicyCount;
};
template <>
struct EnumInfo<ArbLockedChannel> {
    static constexpr const char* name = "ArbLockedChannel";
    static constexpr uint32_t count = kArbLockedChannelCount;
};

/// An operand: a signal, or a Python int of any size that becomes a constant once the width it
/// must have is known.
struct PyOperand {
    std::variant<HcpIdent, nanobind::int_> value;

    bool is_int() const { return std::holds_alternative<nanobind::int_>(value); }
    const HcpIdent* ident() const { return std::get_if<HcpIdent>(&value); }
};

/// One bind of a zync block as Python gives it: (arbiter, priority or None, auto_ack, cond or
/// None).
struct PyZyncBind {
    CcpIdent arb;
    std::optional<int32_t> priority;
    bool auto_ack = false;
    std::optional<HcpIdent> cond;
};

/// The Python type name of `h` ("str", "ModuleIdent", ...).
std::string py_type_name(nanobind::handle h);

class CallArgs {
public:
    /// The arguments of one call, `values[i]` passed for parameter `names[i]` (defaults filled
    /// in). Both arrays are only referred to: they must outlive the CallArgs, which lives for the
    /// call.
    template <size_t N>
    CallArgs(const std::array<const char*, N>& names, const std::array<nanobind::handle, N>& values)
        : names_(names.data()), values_(values.data()) {}

    /// The argument as passed, for converters of a binding file's own.
    nanobind::handle value(size_t i) const { return values_[i]; }
    /// Raises TypeError "argument '{name}': {reason}".
    [[noreturn]] void fail_type(size_t i, const std::string& reason) const { fail(i, reason); }

    /// True when the argument was passed and is not None.
    bool present(size_t i) const { return values_[i].is_valid() && !values_[i].is_none(); }

    std::string str(size_t i) const;
    /// A name given to a new object: a str that follows the naming rules (ValueError otherwise).
    std::string name(size_t i) const;
    int32_t i32(size_t i) const;
    /// A width in bits, 1 to kMaxBitWidth (ValueError otherwise).
    int32_t bit_width(size_t i) const;
    /// A memory index width in bits, 1 to kMaxIndexWidth (ValueError otherwise).
    int32_t index_width(size_t i) const;
    /// An int, or nullopt when absent or None.
    std::optional<int32_t> opt_i32(size_t i) const;
    uint64_t u64(size_t i) const;
    bool flag(size_t i, bool fallback = false) const;
    OptSlice slice(size_t i) const;
    std::vector<uint64_t> u64_list(size_t i) const;
    PyOperand operand(size_t i) const;
    /// A sequence of (HcpIdent, Slice or None) pairs.
    std::vector<HcpTerm> term_list(size_t i) const;
    /// A sequence of zync binds (shapes only; the model checks come later).
    std::vector<PyZyncBind> zync_binds(size_t i) const;

    /// An arbiter: a CcpIdent (TypeError otherwise) of kind ARB (TypeError otherwise).
    CcpIdent arb(size_t i) const;

    template <class Id>
    Id ident(size_t i) const {
        nanobind::handle h = values_[i];
        if (!nanobind::isinstance<IdentObject<Id>>(h)) {
            fail(i, expected(IdentClassName<Id>::value, h));
        }
        require_ready(i, IdentClassName<Id>::value, kUseReturnedIdents);
        return nanobind::inst_ptr<IdentObject<Id>>(h)->id;
    }

    /// A bound Python object of class T (named `class_name` in messages), by reference.
    template <class T>
    T& instance(size_t i, const char* class_name) const {
        nanobind::handle h = values_[i];
        if (!nanobind::isinstance<T>(h)) fail(i, expected(class_name, h));
        require_ready(i, class_name, std::string("make one with ") + class_name + "()");
        return nanobind::cast<T&>(h);
    }

    template <class E>
    E enumeration(size_t i) const {
        uint32_t v = enum_index(i, EnumInfo<E>::name, EnumInfo<E>::count);
        return static_cast<E>(v);
    }

    // Checks against the model, made once the arena is in use and before the core runs. Each
    // raises ValueError "argument '{name}': {problem}".

    /// Raises when the core reported a problem with argument `i`.
    void refuse_if(size_t i, const Problem& problem) const;
    /// The same as TypeError, for an argument of the right class but the wrong kind.
    void refuse_kind_if(size_t i, const Problem& problem) const;
    /// Identity argument `i` names an object of `arena`.
    template <class Id>
    void check_ident(const ModelArena& arena, size_t i, const Id& id) const {
        refuse_if(i, velmora::check_ident(arena, id));
    }
    /// A signal operand names a component of `arena`; an int operand passes.
    void check_operand(const ModelArena& arena, size_t i, const PyOperand& operand) const;
    /// An int operand `i` fits in the `width` bits it is made to, as an unsigned or a two's
    /// complement value (-2^(width-1) <= v < 2^width); `width_of` says where the width comes from
    /// ("the destination"). A signal operand passes. Raises ValueError naming value and width.
    void check_int_fits(size_t i, const PyOperand& operand, int32_t width,
                        std::string_view width_of) const;
    /// An unsigned constant value fits in `width` bits (v < 2^width).
    void check_u64_fits(size_t i, uint64_t value, int32_t width) const;
    /// Slice argument `i`, when given, lies within `signal`.
    void check_slice(const ModelArena& arena, size_t i, const HcpIdent& signal,
                     const OptSlice& slice) const;
    /// Every term of list argument `i` names a component of `arena`, and its slice, when given,
    /// lies within it.
    void check_terms(const ModelArena& arena, size_t i, const std::vector<HcpTerm>& terms) const;
    /// A flow block condition (argument `cond_arg`): a component of `arena`, then the condition
    /// check below, which also bounds a usable slice by the condition's width.
    void check_cond(const ModelArena& arena, size_t cond_arg, const HcpIdent& cond,
                    const OptSlice& cond_slice) const;
    /// The same for a signal that becomes `role` of another object ("the user hold of ..."):
    /// ValueError "argument '{name}' ({role}): {problem}".
    void check_cond_as(const ModelArena& arena, size_t cond_arg, const HcpIdent& cond,
                       const OptSlice& cond_slice, std::string_view role) const;

private:
    static constexpr const char* kUseReturnedIdents =
        "pass an identity that a ModelArena method returned";

    /// Raises TypeError when the object of argument `i` was made by `__new__` alone.
    void require_ready(size_t i, const char* class_name, std::string_view remedy) const;
    [[noreturn]] void fail(size_t i, const std::string& reason) const;
    static std::string expected(const char* what, nanobind::handle got);
    uint32_t enum_index(size_t i, const char* enum_name, uint32_t count) const;

    const char* const* names_;
    const nanobind::handle* values_;
};

/// Refuses `method` with ValueError once build_flow has run: the model takes no additions then.
void check_open_for_additions(const ModelArena& arena, const char* method);
/// As check_open_for_additions, and refuses when no module is tracked to own a new component.
void check_can_make_component(const ModelArena& arena, const char* method);

/// Raises ValueError with the problem's text, when there is one: the call does not fit the
/// state the model is in.
void refuse(const Problem& problem);

/// The signal an operand stands for: an identity as it is, an int as a new user constant named
/// "{name_base}_c" of `width` bits holding the value modulo 2^width (two's complement); a width
/// of 0 or less requests the constant with that width and the value 0.
HcpIdent operand_signal(ModelArena& arena, const PyOperand& operand, std::string_view name_base,
                        int32_t width);

/// Number of bits of a non-negative int (Python's int.bit_length()); at least 1, so that 0 takes
/// one bit.
int32_t int_bits(const nanobind::int_& value);
/// True for an int below 0.
bool int_is_negative(const nanobind::int_& value);

/// Width of a signal operand as used: the slice's size when a slice is given, else its width.
int32_t used_width(const ModelArena& arena, const HcpIdent& signal, const OptSlice& slice);

/// The check of a flow block condition: a valid slice must fit the condition variable, and the
/// condition (or its slice) must be one bit wide. Raises ValueError otherwise.
void check_cond(const ModelArena& arena, const HcpIdent& cond, const OptSlice& cond_slice);

}  // namespace velmora::py
