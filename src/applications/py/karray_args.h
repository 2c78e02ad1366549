#pragma once
// Conversion of the Karray methods' Python arguments: index selectors, element fields, select fns
// and write sources, and the wrapping of Python select fns for the core.
#include <nanobind/nanobind.h>

#include <string>
#include <vector>

#include "applications/py/converters.h"
#include "model/complex_hardware/karray_types.h"

namespace velmora::py {

class ArenaObject;

/// A list of selectors ("static", [i], []), ("dyn", [], [signal]), ("cus", [], [enables...]),
/// ("reduce", [], []). A selector that is not such a triple is a TypeError; an unknown kind, or
/// the wrong numbers of ints and signals for its kind, a ValueError.
std::vector<Kidx> kidx_list(const CallArgs& a, size_t i);

/// A list of (name, width) pairs.
std::vector<KarrayField> field_list(const CallArgs& a, size_t i);

/// A Python select fn for one dimension.
struct SelectFn {
    uint64_t dim = 0;
    nanobind::object fn;
};
/// Select fns by dimension: None (none), a sequence (entry d for dimension d) or a mapping from
/// dimension to fn; each fn a callable or None (no fn).
std::vector<SelectFn> select_fn_list(const CallArgs& a, size_t i);

/// Wraps the select fns for the core. Each call gives the arena up while the fn runs, so that it
/// may build logic through it; what the fn returns is converted (TypeError when it is not a
/// (1-bit HcpIdent, [(name, HcpIdent), ...]) pair) and the model's description must still stand
/// where it stood (ValueError otherwise: a select fn only builds logic).
/// Dimensions past `dims` are left out.
KarrayReduceFns wrap_select_fns(ArenaObject& self, ModelArena& m, const std::vector<SelectFn>& fns,
                                size_t dims);

/// Write sources: a {field name: operand} mapping, or one bare operand (`bare`, name empty).
struct PySources {
    bool bare = false;
    std::vector<std::string> names;
    std::vector<PyOperand> operands;
};
PySources source_list(const CallArgs& a, size_t i);

}  // namespace velmora::py
