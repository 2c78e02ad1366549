#pragma once
// Refusals of Karray operations, run before anything is created. Each returns the problem (with
// the kind of exception it is for Python where that varies) or nullopt when the input is fine;
// the arena's operations raise them as UserError / UserTypeError, the binding before it makes
// constants of its own.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/complex_hardware/karray_types.h"
#include "model/validate.h"

namespace velmora {

class ModelArena;
class Karray;

/// Selector kinds as Python names them: "static", "dyn", "cus", "reduce".
std::optional<KidxKind> kidx_kind_from_text(std::string_view text);
std::string_view kidx_kind_text(KidxKind kind);
/// "malformed Karray index selector of kind '{kind}'".
std::string malformed_kidx_message(std::string_view kind);

/// A new array: backing, shape and fields as Karray::new checks them, then the limits: field
/// names (valid, distinct), name lengths, at most kMaxKarrayElements elements and kMaxKarrayBits
/// bits.
Problem check_karray_new(std::string_view name, HwComponentType backing,
                         const std::vector<uint64_t>& shape,
                         const std::vector<KarrayField>& fields);

/// The field exists.
Problem check_karray_field(const ModelArena& arena, const CcpIdent& karray, std::string_view field);
/// The coordinate names one element (one index per dimension, each within it).
Problem check_karray_coord(const ModelArena& arena, const CcpIdent& karray,
                           const std::vector<uint64_t>& coord);

/// One selector per dimension, static indexes in range, one enable per index of a custom
/// dimension, and every signal a component of this arena.
Problem check_kidx(const ModelArena& arena, const Karray& karray, const std::vector<Kidx>& sel);
/// A read: the selection check, then per dimension no custom selector, a wide enough dynamic
/// index, a select fn for every reduce.
Problem check_karray_read(const ModelArena& arena, const CcpIdent& karray,
                          const std::vector<Kidx>& sel, const KarrayReduceFns& fns);
/// A write: the assignment mode against the backing (TypeError), the selection check, no
/// non-static selector on a wire-backed array (TypeError), no reduce, wide enough dynamic
/// indexes, one-bit custom enables.
KarrayProblem check_karray_write(const ModelArena& arena, const CcpIdent& karray,
                                 const std::vector<Kidx>& sel, bool expect_clocked);
/// Resetting `field` of every element: a reg-backed array, an existing field, and no element of
/// that field reset already.
Problem check_karray_reset_field(const ModelArena& arena, const CcpIdent& karray,
                                 std::string_view field);
/// The same, and the value is a signal of this arena of the field's width.
Problem check_karray_reset(const ModelArena& arena, const CcpIdent& karray, std::string_view field,
                           const HcpIdent& value);
/// A select fn's answer for dimension `dim`: signals of this arena, a one-bit pick.
Problem check_karray_pick(const ModelArena& arena, const KarrayPick& pick, size_t dim);

/// A bare source (not a {field: source} mapping) drives only a single-field array.
Problem check_karray_bare_source(const ModelArena& arena, const CcpIdent& karray);

/// Positions of the sources whose name is a field of the array, in the order given; `skipped`
/// tells whether any named no field.
struct KarraySourceMatch {
    std::vector<size_t> matched;
    bool skipped = false;
};
/// Matches sources to fields by their names; refuses when none names a field.
Problem match_karray_sources(const ModelArena& arena, const CcpIdent& karray,
                             const std::vector<std::string_view>& names, KarraySourceMatch& out);

/// Destination fields with a source field of the same name and width, as (destination field,
/// source field) index pairs in destination order; `skipped` tells whether any had none.
struct KarrayFieldPairs {
    std::vector<std::pair<size_t, size_t>> pairs;
    bool skipped = false;
};
/// Refuses when no destination field matches.
Problem match_karray_fields(const ModelArena& arena, const CcpIdent& dst, const CcpIdent& src,
                            KarrayFieldPairs& out);

}  // namespace velmora
