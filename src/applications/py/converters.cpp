#include "applications/py/converters.h"

#include <nanobind/stl/string.h>

#include <algorithm>
#include <limits>

#include "applications/py/errors.h"
#include "model/model_arena.h"
#include "model/validate.h"
#include "util/str_cat.h"

namespace nb = nanobind;

namespace velmora::py {
namespace {

constexpr const char* kIntTooLarge = "Python int too large to convert to C int";
constexpr const char* kUIntTooLarge = "Python int too large to convert to C unsigned int";

/// `h` as an exact int through its __index__; null (no error set) when it has none.
nb::object exact_int(nb::handle h) {
    if (!PyIndex_Check(h.ptr())) return nb::object();
    PyObject* v = PyNumber_Index(h.ptr());
    if (v == nullptr) throw nb::python_error();
    return nb::steal(v);
}

int32_t to_i32_or_raise(nb::handle exact) {
    int overflow = 0;
    long long x = PyLong_AsLongLongAndOverflow(exact.ptr(), &overflow);
    if (x == -1 && PyErr_Occurred()) throw nb::python_error();
    if (overflow != 0 || x < std::numeric_limits<int32_t>::min() ||
        x > std::numeric_limits<int32_t>::max()) {
        raise_py(PyExc_OverflowError, kIntTooLarge);
    }
    return static_cast<int32_t>(x);
}

uint64_t to_u64_or_raise(nb::handle exact) {
    unsigned long long v = PyLong_AsUnsignedLongLong(exact.ptr());
    if (v == static_cast<unsigned long long>(-1) && PyErr_Occurred()) throw nb::python_error();
    return static_cast<uint64_t>(v);
}

/// The low 64 bits of (v >> shift), two's complement for negative v.
uint64_t limb_of(nb::handle v, uint64_t shift) {
    nb::object sh = nb::steal(PyLong_FromUnsignedLongLong(shift));
    nb::object shifted = nb::steal(PyNumber_Rshift(v.ptr(), sh.ptr()));
    if (!shifted.is_valid()) throw nb::python_error();
    nb::object mask = nb::steal(PyLong_FromUnsignedLongLong(~0ULL));
    nb::object low = nb::steal(PyNumber_And(shifted.ptr(), mask.ptr()));
    if (!low.is_valid()) throw nb::python_error();
    return to_u64_or_raise(low);
}

/// Bits of `v` as Python's int.bit_length() counts them (of |v| for a negative v).
uint64_t bit_length(nb::handle v) {
    nb::object n = nb::getattr(v, "bit_length")();
    return nb::cast<uint64_t>(n);
}

/// "-8 to 15": the ints that fit in `width` bits; powers of two past 64 bits.
std::string range_text(int32_t width, bool allow_negative) {
    if (width > 64) {
        return allow_negative ? cat("-2^", width - 1, " to 2^", width, " - 1")
                              : cat("0 to 2^", width, " - 1");
    }
    uint64_t hi = width == 64 ? ~uint64_t{0} : (uint64_t{1} << width) - 1;
    if (!allow_negative) return cat("0 to ", hi);
    if (width == 64) return cat("-9223372036854775808 to ", hi);
    return cat("-", uint64_t{1} << (width - 1), " to ", hi);
}

}  // namespace

int32_t int_bits(const nb::int_& value) {
    uint64_t n = bit_length(value);
    return n == 0 ? 1 : static_cast<int32_t>(std::min<uint64_t>(n, INT32_MAX));
}

bool int_is_negative(const nb::int_& value) {
    nb::object zero = nb::int_(0);
    int lt = PyObject_RichCompareBool(value.ptr(), zero.ptr(), Py_LT);
    if (lt < 0) throw nb::python_error();
    return lt == 1;
}

std::string py_type_name(nb::handle h) {
    return nb::cast<std::string>(nb::getattr(h.type(), "__name__"));
}

void CallArgs::fail(size_t i, const std::string& reason) const {
    raise_type_error(cat("argument '", names_[i], "': ", reason));
}

std::string CallArgs::expected(const char* what, nb::handle got) {
    return cat("expected ", what, ", got ", py_type_name(got));
}

std::string CallArgs::str(size_t i) const {
    nb::handle h = values_[i];
    if (!PyUnicode_Check(h.ptr())) fail(i, expected("str", h));
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(h.ptr(), &size);
    if (data == nullptr) throw nb::python_error();
    return std::string(data, static_cast<size_t>(size));
}

std::string CallArgs::name(size_t i) const {
    std::string text = str(i);
    refuse_if(i, check_user_name(text));
    return text;
}

int32_t CallArgs::bit_width(size_t i) const {
    int32_t width = i32(i);
    refuse_if(i, check_bit_width(width));
    return width;
}

int32_t CallArgs::index_width(size_t i) const {
    int32_t width = i32(i);
    refuse_if(i, check_index_width(width));
    return width;
}

void CallArgs::refuse_if(size_t i, const Problem& problem) const {
    if (problem) raise_value_error(cat("argument '", names_[i], "': ", *problem));
}

void CallArgs::refuse_kind_if(size_t i, const Problem& problem) const {
    if (problem) raise_type_error(cat("argument '", names_[i], "': ", *problem));
}

void refuse(const Problem& problem) {
    if (problem) raise_value_error(*problem);
}

void CallArgs::check_operand(const ModelArena& arena, size_t i, const PyOperand& operand) const {
    if (const HcpIdent* id = operand.ident()) check_ident(arena, i, *id);
}

void CallArgs::check_int_fits(size_t i, const PyOperand& operand, int32_t width,
                              std::string_view width_of) const {
    if (!operand.is_int() || width < 1) return;
    const nb::int_& value = std::get<nb::int_>(operand.value);
    // -2^(w-1) <= v holds when ~v = -v - 1 takes at most w - 1 bits.
    bool fits = false;
    if (int_is_negative(value)) {
        nb::object inverted = nb::steal(PyNumber_Invert(value.ptr()));
        if (!inverted.is_valid()) throw nb::python_error();
        fits = bit_length(inverted) <= uint64_t(width - 1);
    } else {
        fits = bit_length(value) <= uint64_t(width);
    }
    if (fits) return;
    raise_value_error(cat("argument '", names_[i], "': ", nb::cast<std::string>(nb::str(value)),
                          " does not fit in ", width, " bits, the width of ", width_of, " (", width,
                          " bits hold ", range_text(width, true),
                          " as unsigned or two's complement values); use a value in that range "
                          "or a wider signal"));
}

void CallArgs::check_u64_fits(size_t i, uint64_t value, int32_t width) const {
    if (width >= 64 || value < (uint64_t{1} << width)) return;
    raise_value_error(cat("argument '", names_[i], "': ", value, " does not fit in ", width,
                          " bits (", width, " bits hold ", range_text(width, false),
                          "); use a value in that range or a wider bit_width"));
}

void CallArgs::check_slice(const ModelArena& arena, size_t i, const HcpIdent& signal,
                           const OptSlice& slice) const {
    if (slice) refuse_if(i, velmora::check_slice(arena, signal, *slice));
}

void CallArgs::check_terms(const ModelArena& arena, size_t i,
                           const std::vector<HcpTerm>& terms) const {
    for (const HcpTerm& t : terms) {
        check_ident(arena, i, t.sig);
        check_slice(arena, i, t.sig, t.slice);
    }
}

void CallArgs::check_cond(const ModelArena& arena, size_t cond_arg, const HcpIdent& cond,
                          const OptSlice& cond_slice) const {
    check_ident(arena, cond_arg, cond);
    py::check_cond(arena, cond, cond_slice);
}

void CallArgs::check_cond_as(const ModelArena& arena, size_t cond_arg, const HcpIdent& cond,
                             const OptSlice& cond_slice, std::string_view role) const {
    check_ident(arena, cond_arg, cond);
    if (Problem p = check_one_bit_cond(arena, cond, cond_slice)) {
        raise_value_error(cat("argument '", names_[cond_arg], "' (", role, "): ", *p));
    }
}

void check_open_for_additions(const ModelArena& arena, const char* method) {
    if (Problem p = velmora::check_open_for_additions(arena, method)) raise_value_error(*p);
}

void check_can_make_component(const ModelArena& arena, const char* method) {
    check_open_for_additions(arena, method);
    if (Problem p = check_module_tracked(arena, method)) raise_value_error(*p);
}

int32_t CallArgs::i32(size_t i) const {
    nb::object v = exact_int(values_[i]);
    if (!v.is_valid()) fail(i, expected("int", values_[i]));
    return to_i32_or_raise(v);
}

std::optional<int32_t> CallArgs::opt_i32(size_t i) const {
    if (!present(i)) return std::nullopt;
    return i32(i);
}

uint64_t CallArgs::u64(size_t i) const {
    nb::object v = exact_int(values_[i]);
    if (!v.is_valid()) fail(i, expected("int", values_[i]));
    return to_u64_or_raise(v);
}

bool CallArgs::flag(size_t i, bool fallback) const {
    nb::handle h = values_[i];
    if (!h.is_valid()) return fallback;
    if (!PyBool_Check(h.ptr())) fail(i, expected("bool", h));
    return h.ptr() == Py_True;
}

OptSlice CallArgs::slice(size_t i) const {
    if (!present(i)) return std::nullopt;
    nb::handle h = values_[i];
    if (!nb::isinstance<Slice>(h)) fail(i, expected("Slice or None", h));
    require_ready(i, "Slice", "make one with Slice(start, stop)");
    return nb::cast<Slice>(h);
}

void CallArgs::require_ready(size_t i, const char* class_name, std::string_view remedy) const {
    if (!nb::inst_ready(values_[i])) {
        fail(i, cat("this ", class_name, " was made with ", class_name,
                    ".__new__ and holds nothing; ", remedy));
    }
}

std::vector<uint64_t> CallArgs::u64_list(size_t i) const {
    nb::handle h = values_[i];
    if (!PySequence_Check(h.ptr()) || PyUnicode_Check(h.ptr()) || PyBytes_Check(h.ptr()) ||
        PyByteArray_Check(h.ptr())) {
        fail(i, expected("a sequence of int", h));
    }
    // A tuple copy holds its own references: an item's __index__ may change the caller's list
    // while the items are converted.
    nb::object items = nb::steal(PySequence_Tuple(h.ptr()));
    if (!items.is_valid()) throw nb::python_error();
    Py_ssize_t n = PyTuple_GET_SIZE(items.ptr());
    std::vector<uint64_t> out;
    out.reserve(static_cast<size_t>(n));
    for (Py_ssize_t k = 0; k < n; ++k) {
        nb::handle item = PyTuple_GET_ITEM(items.ptr(), k);
        nb::object v = exact_int(item);
        if (!v.is_valid()) fail(i, cat("item ", k, ": ", expected("int", item)));
        out.push_back(to_u64_or_raise(v));
    }
    return out;
}

PyOperand CallArgs::operand(size_t i) const {
    nb::handle h = values_[i];
    if (nb::isinstance<IdentObject<HcpIdent>>(h)) {
        require_ready(i, "HcpIdent", kUseReturnedIdents);
        return PyOperand{nb::inst_ptr<IdentObject<HcpIdent>>(h)->id};
    }
    if (PyLong_Check(h.ptr())) return PyOperand{nb::borrow<nb::int_>(exact_int(h))};
    fail(i, cat("cannot convert ", py_type_name(h),
                " to PyOperand (Ident | Int): alternative Ident: ", expected("HcpIdent", h),
                "; alternative Int: ", expected("int", h)));
}

std::vector<HcpTerm> CallArgs::term_list(size_t i) const {
    nb::handle h = values_[i];
    if (!PySequence_Check(h.ptr()) || PyUnicode_Check(h.ptr()) || PyBytes_Check(h.ptr()) ||
        PyByteArray_Check(h.ptr())) {
        fail(i, expected("a sequence of (HcpIdent, Slice or None) pairs", h));
    }
    // A copy: an __index__ run while the items are read cannot change it under us.
    nb::object seq = nb::steal(PySequence_Tuple(h.ptr()));
    if (!seq.is_valid()) throw nb::python_error();
    Py_ssize_t n = PySequence_Fast_GET_SIZE(seq.ptr());
    std::vector<HcpTerm> out;
    out.reserve(static_cast<size_t>(n));
    for (Py_ssize_t k = 0; k < n; ++k) {
        nb::handle item = PySequence_Fast_GET_ITEM(seq.ptr(), k);
        bool is_pair = (PyTuple_Check(item.ptr()) || PyList_Check(item.ptr())) &&
                       PySequence_Size(item.ptr()) == 2;
        nb::object sig = is_pair ? nb::steal(PySequence_GetItem(item.ptr(), 0)) : nb::object();
        nb::object slice = is_pair ? nb::steal(PySequence_GetItem(item.ptr(), 1)) : nb::object();
        if (!is_pair || !nb::isinstance<HcpIdent>(sig) ||
            (!slice.is_none() && !nb::isinstance<Slice>(slice))) {
            std::string got = is_pair ? cat("(", py_type_name(sig), ", ", py_type_name(slice), ")")
                                      : py_type_name(item);
            fail(i, cat("item ", k, ": expected an (HcpIdent, Slice or None) pair, got ", got));
        }
        OptSlice range;
        if (!slice.is_none()) range = nb::cast<Slice>(slice);
        out.push_back(HcpTerm{nb::cast<HcpIdent>(sig), range});
    }
    return out;
}

CcpIdent CallArgs::arb(size_t i) const {
    CcpIdent id = ident<CcpIdent>(i);
    refuse_kind_if(i, check_ccp_kind(id, CcpType::Arb));
    return id;
}

std::vector<PyZyncBind> CallArgs::zync_binds(size_t i) const {
    static constexpr const char* kShape = "(CcpIdent, int or None, bool, HcpIdent or None)";
    nb::handle h = values_[i];
    if (!PySequence_Check(h.ptr()) || PyUnicode_Check(h.ptr()) || PyBytes_Check(h.ptr()) ||
        PyByteArray_Check(h.ptr())) {
        fail(i, expected(cat("a sequence of ", kShape, " tuples").c_str(), h));
    }
    // A copy: an __index__ run while the items are read cannot change it under us.
    nb::object seq = nb::steal(PySequence_Tuple(h.ptr()));
    if (!seq.is_valid()) throw nb::python_error();
    Py_ssize_t n = PySequence_Fast_GET_SIZE(seq.ptr());
    std::vector<PyZyncBind> out;
    out.reserve(static_cast<size_t>(n));
    for (Py_ssize_t k = 0; k < n; ++k) {
        nb::handle item = PySequence_Fast_GET_ITEM(seq.ptr(), k);
        bool is_tuple = (PyTuple_Check(item.ptr()) || PyList_Check(item.ptr())) &&
                        PySequence_Size(item.ptr()) == 4;
        nb::object f[4];
        if (is_tuple) {
            for (int j = 0; j < 4; ++j) f[j] = nb::steal(PySequence_GetItem(item.ptr(), j));
        }
        nb::object priority = is_tuple && !f[1].is_none() ? exact_int(f[1]) : nb::object();
        bool ok = is_tuple && nb::isinstance<CcpIdent>(f[0]) &&
                  (f[1].is_none() || priority.is_valid()) && PyBool_Check(f[2].ptr()) &&
                  (f[3].is_none() || nb::isinstance<HcpIdent>(f[3]));
        if (!ok) {
            std::string got = is_tuple
                                  ? cat("(", py_type_name(f[0]), ", ", py_type_name(f[1]), ", ",
                                        py_type_name(f[2]), ", ", py_type_name(f[3]), ")")
                                  : py_type_name(item);
            fail(i, cat("item ", k, ": expected a ", kShape, " tuple, got ", got));
        }
        PyZyncBind bind{nb::cast<CcpIdent>(f[0]), std::nullopt, f[2].ptr() == Py_True,
                        std::nullopt};
        if (priority.is_valid()) bind.priority = to_i32_or_raise(priority);
        if (!f[3].is_none()) bind.cond = nb::cast<HcpIdent>(f[3]);
        out.push_back(std::move(bind));
    }
    return out;
}

uint32_t CallArgs::enum_index(size_t i, const char* enum_name, uint32_t count) const {
    nb::object v = exact_int(values_[i]);
    if (!v.is_valid()) fail(i, expected(cat(enum_name, " or int").c_str(), values_[i]));
    unsigned long x = PyLong_AsUnsignedLong(v.ptr());
    if (x == static_cast<unsigned long>(-1) && PyErr_Occurred()) throw nb::python_error();
    if (x > std::numeric_limits<uint32_t>::max()) raise_py(PyExc_OverflowError, kUIntTooLarge);
    if (x >= count) raise_value_error(cat(enum_name, " index out of range: ", x));
    return static_cast<uint32_t>(x);
}

HcpIdent operand_signal(ModelArena& arena, const PyOperand& operand, std::string_view name_base,
                        int32_t width) {
    if (const HcpIdent* id = operand.ident()) return *id;
    const nb::int_& value = std::get<nb::int_>(operand.value);
    std::string name = cat(name_base, "_c");
    if (width <= 0) return arena.make_val(true, name, width, 0);
    if (width <= 64) return arena.make_val(true, name, width, limb_of(value, 0));
    std::vector<uint64_t> limbs((static_cast<size_t>(width) + 63) / 64);
    for (size_t k = 0; k < limbs.size(); ++k) limbs[k] = limb_of(value, 64 * k);
    return arena.make_val_vv(true, name, width, std::move(limbs));
}

int32_t used_width(const ModelArena& arena, const HcpIdent& signal, const OptSlice& slice) {
    return slice ? slice->size() : arena.hcp_width(signal);
}

void check_cond(const ModelArena& arena, const HcpIdent& cond, const OptSlice& cond_slice) {
    if (Problem p = check_one_bit_cond(arena, cond, cond_slice)) raise_value_error(*p);
}

}  // namespace velmora::py
