#pragma once
// The values Karray operations take and give: index selectors, the element type, candidates of a
// reduce and its user select function, write sources and refusals. Light: no arena, no kinds.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/common/ident.h"

namespace velmora {

/// How one dimension of a Karray is indexed.
enum class KidxKind : uint8_t {
    Static,  // a constant index
    Dyn,     // the value of a signal: a mux tree on reads, decoded write enables on writes
    Custom,  // writes only: one 1-bit enable per index of the dimension
    Reduce,  // reads only: every index folded pairwise by the user's select function
};

struct Kidx {
    KidxKind kind = KidxKind::Static;
    uint64_t index = 0;             // Static
    std::vector<HcpIdent> signals;  // Dyn: the index signal; Custom: the enables, by index

    static Kidx fixed(uint64_t i) { return Kidx{KidxKind::Static, i, {}}; }
    static Kidx dyn(HcpIdent s) { return Kidx{KidxKind::Dyn, 0, {std::move(s)}}; }
    static Kidx custom(std::vector<HcpIdent> enables) {
        return Kidx{KidxKind::Custom, 0, std::move(enables)};
    }
    static Kidx reduce() { return Kidx{KidxKind::Reduce, 0, {}}; }
};

/// One named field of the element type.
struct KarrayField {
    std::string name;
    int32_t width = 0;
};

/// A named signal of a read candidate: a field of an element, or an extra a select fn added.
struct KarrayEntry {
    std::string name;
    HcpIdent sig;
};

/// What a read yields over the dimensions it has walked: named signals, and the indices of the
/// reduced dimension it covers (a single index before any merge, both halves' after one).
struct KarrayCandidate {
    std::vector<KarrayEntry> entries;
    std::vector<uint64_t> indices;
};

/// A select fn's answer for one pair: a 1-bit signal, high to pick candidate a, and extras that
/// replace (by name) or extend the merged candidate's signals.
struct KarrayPick {
    HcpIdent pick_a;
    std::vector<KarrayEntry> extras;
};

/// fn(a, b, level) -> pick. It may build logic through the arena and may throw; nothing of the
/// Karray is taken out while it runs.
using KarrayReduceFn =
    std::function<KarrayPick(const KarrayCandidate& a, const KarrayCandidate& b, uint32_t level)>;
/// Select functions by dimension; an empty function, or a dimension past the end, has none.
using KarrayReduceFns = std::vector<KarrayReduceFn>;

/// A write source for the field of that name.
struct KarraySource {
    std::string field;
    HcpIdent sig;
};

/// A refused Karray operation: the message, and whether it is about the kind of thing asked for
/// (the backing or the assignment mode), which Python sees as TypeError rather than ValueError.
struct KarrayRefusal {
    std::string message;
    bool is_type_error = false;
};
using KarrayProblem = std::optional<KarrayRefusal>;

}  // namespace velmora
