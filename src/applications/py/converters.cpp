#include "applications/py/converters.h"

#include <nanobind/stl/string.h>

#include <limits>

#include "applications/py/errors.h"
#include "model/model_arena.h"
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

}  // namespace

std::string py_type_name(nb::handle h) {
    return nb::cast<std::string>(nb::getattr(h.type(), "__name__"));
}

CallArgs::CallArgs(const char* method, std::initializer_list<const char*> names, size_t n_required,
                   const nb::args& args, const nb::kwargs& kwargs)
    : names_(names), values_(names.size()) {
    if (args.size() > names_.size()) {
        raise_type_error(cat(method, "() takes at most ", names_.size(), " arguments (",
                             args.size(), " given)"));
    }
    for (size_t i = 0; i < args.size(); ++i) values_[i] = args[i];
    for (auto [key, value] : kwargs) {
        std::string k = nb::cast<std::string>(nb::str(key));
        size_t i = 0;
        while (i < names_.size() && k != names_[i]) ++i;
        if (i == names_.size()) {
            raise_type_error(cat(method, "() got an unexpected keyword argument '", k, "'"));
        }
        if (values_[i].is_valid()) fail(i, "given both by position and by keyword");
        values_[i] = value;
    }
    for (size_t i = 0; i < n_required; ++i) {
        if (!values_[i].is_valid()) fail(i, "missing required argument");
    }
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

void CallArgs::check_slice(const ModelArena& arena, size_t i, const HcpIdent& signal,
                           const OptSlice& slice) const {
    if (slice) refuse_if(i, velmora::check_slice(arena, signal, *slice));
}

void CallArgs::check_cond(const ModelArena& arena, size_t cond_arg, const HcpIdent& cond,
                          const OptSlice& cond_slice) const {
    check_ident(arena, cond_arg, cond);
    py::check_cond(arena, cond, cond_slice);
}

void check_open_for_additions(const ModelArena& arena, const char* method) {
    if (Problem p = velmora::check_open_for_additions(arena, method)) raise_value_error(*p);
}

int32_t CallArgs::i32(size_t i) const {
    nb::object v = exact_int(values_[i]);
    if (!v.is_valid()) fail(i, expected("int", values_[i]));
    int overflow = 0;
    long long x = PyLong_AsLongLongAndOverflow(v.ptr(), &overflow);
    if (x == -1 && PyErr_Occurred()) throw nb::python_error();
    if (overflow != 0 || x < std::numeric_limits<int32_t>::min() ||
        x > std::numeric_limits<int32_t>::max()) {
        raise_py(PyExc_OverflowError, kIntTooLarge);
    }
    return static_cast<int32_t>(x);
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
    int32_t w = arena.hcp_width(cond);
    if (cond_slice && cond_slice->is_valid()) {
        if (w < cond_slice->stop) {
            raise_value_error(cat("cond slice ", cond_slice->debug_text(),
                                  " does not fit cond variable of width ", w));
        }
        w = cond_slice->size();
    }
    if (w != 1) {
        raise_value_error(
            cat("cond must be 1-bit, got ", w, " (slice the cond variable down to one bit)"));
    }
}

}  // namespace velmora::py
