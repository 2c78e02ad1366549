#include "applications/py/karray_args.h"

#include <nanobind/stl/string.h>

#include <optional>

#include "applications/py/errors.h"
#include "applications/py/owned_object.h"
#include "model/complex_hardware/karray_checks.h"
#include "model/model_arena.h"
#include "util/str_cat.h"

namespace nb = nanobind;

namespace velmora::py {
namespace {

/// A list, tuple or other sequence that is not text; null otherwise.
nb::object as_sequence(nb::handle h) {
    if (!PySequence_Check(h.ptr()) || PyUnicode_Check(h.ptr()) || PyBytes_Check(h.ptr()) ||
        PyByteArray_Check(h.ptr())) {
        return nb::object();
    }
    // A copy: an __index__ run while the items are read cannot change it under us.
    nb::object seq = nb::steal(PySequence_Tuple(h.ptr()));
    if (!seq.is_valid()) throw nb::python_error();
    return seq;
}

size_t seq_size(nb::handle seq) {
    return static_cast<size_t>(PySequence_Fast_GET_SIZE(seq.ptr()));
}

nb::handle seq_item(nb::handle seq, size_t k) {
    return PySequence_Fast_GET_ITEM(seq.ptr(), static_cast<Py_ssize_t>(k));
}

bool is_int(nb::handle h) {
    return PyLong_Check(h.ptr()) != 0;
}

uint64_t to_u64(nb::handle h) {
    unsigned long long v = PyLong_AsUnsignedLongLong(h.ptr());
    if (v == static_cast<unsigned long long>(-1) && PyErr_Occurred()) throw nb::python_error();
    return static_cast<uint64_t>(v);
}

nb::object as_mapping(nb::handle h) {
    if (PyDict_Check(h.ptr()) || (PyMapping_Check(h.ptr()) && !PySequence_Check(h.ptr()))) {
        nb::object items = nb::steal(PyMapping_Items(h.ptr()));
        if (!items.is_valid()) throw nb::python_error();
        return items;
    }
    return nb::object();
}

Kidx one_kidx(const CallArgs& a, size_t i, size_t k, nb::handle item) {
    nb::object triple = as_sequence(item);
    auto fail = [&](const std::string& what) {
        a.fail_type(i, cat("item ", k, ": expected a (kind, [ints], [signals]) selector, ", what));
    };
    if (!triple.is_valid() || seq_size(triple) != 3) fail(cat("got ", py_type_name(item)));
    nb::handle kind_obj = seq_item(triple, 0);
    if (!PyUnicode_Check(kind_obj.ptr())) fail(cat("got a kind of type ", py_type_name(kind_obj)));
    std::string kind = nb::cast<std::string>(kind_obj);
    nb::object ints = as_sequence(seq_item(triple, 1));
    nb::object sigs = as_sequence(seq_item(triple, 2));
    if (!ints.is_valid()) fail(cat("got ints of type ", py_type_name(seq_item(triple, 1))));
    if (!sigs.is_valid()) fail(cat("got signals of type ", py_type_name(seq_item(triple, 2))));
    std::vector<uint64_t> values;
    for (size_t j = 0; j < seq_size(ints); ++j) {
        nb::handle v = seq_item(ints, j);
        if (!is_int(v)) fail(cat("got an index of type ", py_type_name(v)));
        values.push_back(to_u64(v));
    }
    std::vector<HcpIdent> signals;
    for (size_t j = 0; j < seq_size(sigs); ++j) {
        nb::handle s = seq_item(sigs, j);
        if (!nb::isinstance<HcpIdent>(s)) fail(cat("got a signal of type ", py_type_name(s)));
        signals.push_back(nb::cast<HcpIdent>(s));
    }
    std::optional<KidxKind> parsed = kidx_kind_from_text(kind);
    auto counts = [&](size_t n_ints, std::optional<size_t> n_sigs) {
        return values.size() == n_ints && (!n_sigs || signals.size() == *n_sigs);
    };
    bool well_formed = false;
    if (parsed) {
        switch (*parsed) {
            case KidxKind::Static:
                well_formed = counts(1, 0);
                break;
            case KidxKind::Dyn:
                well_formed = counts(0, 1);
                break;
            case KidxKind::Custom:  // the enable count is checked against the dimension
                well_formed = counts(0, std::nullopt);
                break;
            case KidxKind::Reduce:
                well_formed = counts(0, 0);
                break;
        }
    }
    if (!well_formed) raise_value_error(malformed_kidx_message(kind));
    switch (*parsed) {
        case KidxKind::Static:
            return Kidx::fixed(values[0]);
        case KidxKind::Dyn:
            return Kidx::dyn(signals[0]);
        case KidxKind::Custom:
            return Kidx::custom(std::move(signals));
        case KidxKind::Reduce:
            break;
    }
    return Kidx::reduce();
}

nb::list entries_to_py(const KarrayCandidate& c) {
    nb::list out;
    for (const KarrayEntry& e : c.entries)
        out.append(nb::make_tuple(nb::str(e.name.c_str()), e.sig));
    return out;
}

nb::list indices_to_py(const KarrayCandidate& c) {
    nb::list out;
    for (uint64_t i : c.indices) out.append(nb::int_(i));
    return out;
}

/// Where the description stands: what a select fn must leave as it found it.
struct DescribingState {
    const ModelStore* store = nullptr;  // changes when the model is taken over
    bool built = false;
    std::vector<std::pair<ModuleIdent, ModuleInitStage>> modules;
    size_t open_blocks = 0;
    std::optional<FlowBlockIdent> top_block;
    bool top_lazy = false;

    static DescribingState of(const ModelArena& m) {
        DescribingState s;
        s.store = &m.store();
        s.built = m.flow_built();
        s.modules = m.module_trace_stack();
        s.open_blocks = m.flow_block_stack().size();
        if (!m.flow_block_stack().empty()) {
            s.top_block = m.flow_block_stack().back().block;
            s.top_lazy = m.flow_block_stack().back().lazy_closed;
        }
        return s;
    }
    bool operator==(const DescribingState& o) const {
        return store == o.store && built == o.built && modules == o.modules &&
               open_blocks == o.open_blocks && top_block == o.top_block && top_lazy == o.top_lazy;
    }
};

KarrayPick pick_from_py(nb::handle result, size_t dim) {
    std::string who = cat("Karray reduce: the select fn of dimension ", dim);
    nb::object pair = as_sequence(result);
    if (!pair.is_valid() || seq_size(pair) != 2) {
        raise_type_error(
            cat(who, " must return a (pick_a, extras) pair, got ", py_type_name(result)));
    }
    nb::handle pick = seq_item(pair, 0);
    if (!nb::isinstance<HcpIdent>(pick)) {
        raise_type_error(cat(who, " must return an HcpIdent as pick_a, got ", py_type_name(pick)));
    }
    KarrayPick out{nb::cast<HcpIdent>(pick), {}};
    nb::handle extras_obj = seq_item(pair, 1);
    nb::object extras = as_sequence(extras_obj);
    if (!extras.is_valid()) {
        raise_type_error(cat(who, " must return a list of (name, HcpIdent) pairs as extras, got ",
                             py_type_name(extras_obj)));
    }
    for (size_t k = 0; k < seq_size(extras); ++k) {
        nb::handle item = seq_item(extras, k);
        nb::object extra = as_sequence(item);
        bool ok = extra.is_valid() && seq_size(extra) == 2 &&
                  PyUnicode_Check(seq_item(extra, 0).ptr()) &&
                  nb::isinstance<HcpIdent>(seq_item(extra, 1));
        if (!ok) {
            raise_type_error(cat(who, ": extra ", k, " must be a (name, HcpIdent) pair, got ",
                                 py_type_name(item)));
        }
        out.extras.push_back(KarrayEntry{nb::cast<std::string>(seq_item(extra, 0)),
                                         nb::cast<HcpIdent>(seq_item(extra, 1))});
    }
    return out;
}

}  // namespace

std::vector<Kidx> kidx_list(const CallArgs& a, size_t i) {
    nb::handle h = a.value(i);
    nb::object seq = as_sequence(h);
    if (!seq.is_valid()) a.fail_type(i, cat("expected a list of selectors, got ", py_type_name(h)));
    std::vector<Kidx> out;
    out.reserve(seq_size(seq));
    for (size_t k = 0; k < seq_size(seq); ++k) out.push_back(one_kidx(a, i, k, seq_item(seq, k)));
    return out;
}

std::vector<KarrayField> field_list(const CallArgs& a, size_t i) {
    nb::handle h = a.value(i);
    nb::object seq = as_sequence(h);
    if (!seq.is_valid()) {
        a.fail_type(i, cat("expected a list of (name, width) pairs, got ", py_type_name(h)));
    }
    std::vector<KarrayField> out;
    for (size_t k = 0; k < seq_size(seq); ++k) {
        nb::handle item = seq_item(seq, k);
        nb::object pair = as_sequence(item);
        if (!pair.is_valid() || seq_size(pair) != 2 || !PyUnicode_Check(seq_item(pair, 0).ptr()) ||
            !is_int(seq_item(pair, 1))) {
            a.fail_type(
                i, cat("item ", k, ": expected a (name, width) pair, got ", py_type_name(item)));
        }
        int overflow = 0;
        long long w = PyLong_AsLongLongAndOverflow(seq_item(pair, 1).ptr(), &overflow);
        if (w == -1 && PyErr_Occurred()) throw nb::python_error();
        if (overflow != 0 || w < INT32_MIN || w > INT32_MAX) {
            raise_py(PyExc_OverflowError, "Python int too large to convert to C int");
        }
        out.push_back(KarrayField{nb::cast<std::string>(seq_item(pair, 0)), int32_t(w)});
    }
    return out;
}

std::vector<SelectFn> select_fn_list(const CallArgs& a, size_t i) {
    std::vector<SelectFn> out;
    if (!a.present(i)) return out;
    nb::handle h = a.value(i);
    auto put = [&](uint64_t dim, nb::handle fn, const std::string& where) {
        if (fn.is_none()) return;
        if (!PyCallable_Check(fn.ptr())) {
            a.fail_type(i, cat(where, ": expected a callable or None, got ", py_type_name(fn)));
        }
        out.push_back(SelectFn{dim, nb::borrow(fn)});
    };
    if (nb::object items = as_mapping(h); items.is_valid()) {
        nb::object seq = as_sequence(items);
        for (size_t k = 0; k < seq_size(seq); ++k) {
            nb::handle key = seq_item(seq_item(seq, k), 0);
            if (!is_int(key)) {
                a.fail_type(i, cat("expected int dimensions as keys, got ", py_type_name(key)));
            }
            uint64_t dim = to_u64(key);
            put(dim, seq_item(seq_item(seq, k), 1), cat("dimension ", dim));
        }
        return out;
    }
    nb::object seq = as_sequence(h);
    if (!seq.is_valid()) {
        a.fail_type(i, cat("expected a list or dict of select fns, got ", py_type_name(h)));
    }
    for (size_t k = 0; k < seq_size(seq); ++k) put(k, seq_item(seq, k), cat("item ", k));
    return out;
}

KarrayReduceFns wrap_select_fns(ArenaObject& self, ModelArena& m, const std::vector<SelectFn>& fns,
                                size_t dims) {
    KarrayReduceFns out(dims);
    for (const SelectFn& sf : fns) {
        if (sf.dim >= dims) continue;  // no such dimension: never asked for
        size_t d = sf.dim;
        out[d] = [&self, &m, fn = sf.fn, d](const KarrayCandidate& a, const KarrayCandidate& b,
                                            uint32_t level) -> KarrayPick {
            nb::list a_py = entries_to_py(a);
            nb::list b_py = entries_to_py(b);
            nb::list a_idx = indices_to_py(a);
            nb::list b_idx = indices_to_py(b);
            DescribingState before = DescribingState::of(m);
            nb::object result =
                self.released([&] { return fn(a_py, a_idx, b_py, b_idx, nb::int_(level)); });
            if (!(DescribingState::of(m) == before)) {
                raise_value_error(cat(
                    "Karray reduce: the select fn of dimension ", d,
                    " changed the module or flow block being described (or handed the model to a "
                    "backend); a select fn may only build logic"));
            }
            KarrayPick pick = pick_from_py(result, d);
            // Checked while `result` still holds the names of an identity from another arena.
            refuse(check_karray_pick(m, pick, d));
            return pick;
        };
    }
    return out;
}

PySources source_list(const CallArgs& a, size_t i) {
    PySources out;
    nb::handle h = a.value(i);
    nb::object items = as_mapping(h);
    if (!items.is_valid()) {
        out.bare = true;
        out.names.emplace_back();
        out.operands.push_back(a.operand(i));
        return out;
    }
    nb::object seq = as_sequence(items);
    for (size_t k = 0; k < seq_size(seq); ++k) {
        nb::handle key = seq_item(seq_item(seq, k), 0);
        nb::handle value = seq_item(seq_item(seq, k), 1);
        if (!PyUnicode_Check(key.ptr())) {
            a.fail_type(i, cat("expected field names (str) as keys, got ", py_type_name(key)));
        }
        std::string name = nb::cast<std::string>(key);
        if (nb::isinstance<HcpIdent>(value)) {
            out.operands.push_back(PyOperand{nb::cast<HcpIdent>(value)});
        } else if (is_int(value)) {
            out.operands.push_back(PyOperand{nb::borrow<nb::int_>(value)});
        } else {
            a.fail_type(
                i, cat("source '", name, "': expected HcpIdent or int, got ", py_type_name(value)));
        }
        out.names.push_back(std::move(name));
    }
    return out;
}

}  // namespace velmora::py
