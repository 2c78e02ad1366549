#include "model/complex_hardware/karray_checks.h"

#include <unordered_map>
#include <unordered_set>

#include "model/common/limits.h"
#include "model/complex_hardware/karray.h"
#include "model/hw_component/signals.h"
#include "model/model_store.h"
#include "model/typed_access.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

constexpr std::string_view kCustomRead =
    "a custom write-enable index cannot select a read; on the read side a custom fn is a reduce "
    "select (fn(a, b, level) -> pick-a)";
constexpr std::string_view kReduceWrite =
    "a reduce (read-side custom) index cannot be a write destination; on the write side a custom "
    "fn is a per-index enable (fn(i) -> 1-bit)";
constexpr std::string_view kClockedNeedsReg = "`|=` (clocked assign) requires a reg-backed Karray";
constexpr std::string_view kCombNeedsWire =
    "`*=` (combinational assign) requires a wire-backed Karray";
constexpr std::string_view kDynWriteNeedsReg =
    "a dynamic (signal / custom-fn indexed) Karray write requires a reg-backed Karray; a wire "
    "cannot hold its non-selected elements";

template <class F>
decltype(auto) with_karray(const ModelArena& arena, const CcpIdent& k, F&& f) {
    return read_ccp_as<Karray>(arena, k, f);
}

KarrayRefusal type_refusal(std::string_view message) {
    return KarrayRefusal{std::string(message), true};
}

KarrayProblem as_value_refusal(const Problem& p) {
    if (!p) return std::nullopt;
    return KarrayRefusal{*p, false};
}

Problem dyn_width_refusal(const ModelArena& arena, const Karray& k, size_t d, const HcpIdent& s) {
    int32_t need = karray_index_bits(k.shape[d]);
    int32_t w = arena.hcp_width(s);
    if (w >= need) return std::nullopt;
    return cat("dynamic index for dim ", d, " needs >= ", need, " bits to address ", k.shape[d],
               " elements, got ", w);
}

/// "2 * 3 * 5 = 30", or the first factor past 2^64.
Problem element_count_refusal(std::string_view name, const std::vector<uint64_t>& shape,
                              uint64_t& count) {
    count = 1;
    bool overflow = false;
    for (uint64_t d : shape) overflow = overflow || __builtin_mul_overflow(count, d, &count);
    if (!overflow && count <= kMaxKarrayElements) return std::nullopt;
    std::string n = overflow ? std::string("more than 18446744073709551615") : cat(count);
    return cat("Karray '", name, "': ", n,
               " elements (the product of the shape) exceed the limit of ", kMaxKarrayElements,
               " (2^20); every field of every element is a signal of its own, so use fewer or "
               "smaller dimensions");
}

Problem field_refusals(std::string_view name, const std::vector<KarrayField>& fields) {
    std::unordered_set<std::string_view> seen;
    for (const KarrayField& f : fields) {
        if (f.width > kMaxBitWidth) {
            return cat("KarrayType: field '", f.name, "' width must be at most ", kMaxBitWidth,
                       " bits, got ", f.width);
        }
        if (f.name.empty()) {
            return cat("Karray '", name, "': a field name must not be empty");
        }
        if (Problem p = check_user_name(f.name)) return cat("Karray '", name, "': field ", *p);
        if (!seen.insert(f.name).second) {
            return cat("Karray '", name, "': field '", f.name,
                       "' is declared twice; field names must be distinct");
        }
    }
    return std::nullopt;
}

Problem size_refusals(std::string_view name, const std::vector<uint64_t>& shape,
                      const std::vector<KarrayField>& fields) {
    uint64_t count = 0;
    if (Problem p = element_count_refusal(name, shape, count)) return p;
    uint64_t per_element = 0;
    size_t longest_field = 0;
    for (const KarrayField& f : fields) {
        per_element += static_cast<uint64_t>(f.width);  // at most 2^16 per field: no overflow
        longest_field = std::max(longest_field, f.name.size());
    }
    unsigned __int128 bits = static_cast<unsigned __int128>(count) * per_element;
    if (bits > kMaxKarrayBits) {
        std::string total = per_element > kMaxKarrayBits ? cat("more than ", kMaxKarrayBits)
                                                         : cat(static_cast<uint64_t>(bits));
        return cat("Karray '", name, "': ", total, " bits (", count, " elements of ", per_element,
                   " bits) exceed the limit of ", kMaxKarrayBits,
                   " bits (2^22); use fewer elements or narrower fields");
    }
    if (name.size() + kKarrayNameRoom > kMaxUserNameLen) {
        return cat("Karray '", name, "': the name is ", name.size(),
                   " bytes long; a Karray name may", " have at most ",
                   kMaxUserNameLen - kKarrayNameRoom,
                   " bytes (the rest is kept for the names of its mux trees and write decoders)");
    }
    size_t longest = name.size() + cat("_E", count - 1, "_").size() + longest_field;
    if (longest > kMaxUserNameLen) {
        return cat("Karray '", name,
                   "': element signal names \"{name}_E{e}_{field}\" would take up"
                   " to ",
                   longest, " bytes, more than ", kMaxUserNameLen, "; use shorter field names");
    }
    return std::nullopt;
}

}  // namespace

std::optional<KidxKind> kidx_kind_from_text(std::string_view text) {
    if (text == "static") return KidxKind::Static;
    if (text == "dyn") return KidxKind::Dyn;
    if (text == "cus") return KidxKind::Custom;
    if (text == "reduce") return KidxKind::Reduce;
    return std::nullopt;
}

std::string_view kidx_kind_text(KidxKind kind) {
    static constexpr std::string_view k[] = {"static", "dyn", "cus", "reduce"};
    return k[static_cast<int>(kind)];
}

std::string malformed_kidx_message(std::string_view kind) {
    return cat("malformed Karray index selector of kind '", kind, "'");
}

Problem check_karray_new(std::string_view name, HwComponentType backing,
                         const std::vector<uint64_t>& shape,
                         const std::vector<KarrayField>& fields) {
    if (backing != HwComponentType::Reg && backing != HwComponentType::Wire) {
        return cat("Karray '", name, "': backing must be Reg or Wire, got ", member_name(backing));
    }
    if (shape.empty()) return cat("Karray '", name, "': shape must have at least one dimension");
    for (uint64_t d : shape) {
        if (d == 0) return cat("Karray '", name, "': every dimension must be positive");
    }
    for (const KarrayField& f : fields) {
        if (f.width <= 0) {
            return cat("KarrayType: field '", f.name, "' width must be positive, got ", f.width);
        }
    }
    if (fields.empty()) return cat("Karray '", name, "': element must have at least one field");
    if (Problem p = field_refusals(name, fields)) return p;
    return size_refusals(name, shape, fields);
}

Problem check_karray_field(const ModelArena& arena, const CcpIdent& karray,
                           std::string_view field) {
    return with_karray(arena, karray, [&](const Karray& k) { return k.field_refusal(field); });
}

Problem check_karray_coord(const ModelArena& arena, const CcpIdent& karray,
                           const std::vector<uint64_t>& coord) {
    return with_karray(arena, karray, [&](const Karray& k) { return k.coord_refusal(coord); });
}

Problem check_kidx(const ModelArena& arena, const Karray& k, const std::vector<Kidx>& sel) {
    if (sel.size() != k.shape.size()) {
        return cat("a Karray selection must index every dimension: got ", sel.size(),
                   " indices for a ", k.shape.size(), "-D Karray");
    }
    for (size_t d = 0; d < sel.size(); ++d) {
        const Kidx& s = sel[d];
        uint64_t size = k.shape[d];
        switch (s.kind) {
            case KidxKind::Static:
                if (!s.signals.empty()) return malformed_kidx_message(kidx_kind_text(s.kind));
                if (s.index >= size) {
                    return cat("index ", s.index, " out of bounds for dimension ", d, " of size ",
                               size);
                }
                break;
            case KidxKind::Dyn:
                if (s.signals.size() != 1) return malformed_kidx_message(kidx_kind_text(s.kind));
                break;
            case KidxKind::Custom:
                if (s.signals.size() != size) {
                    return cat("custom write index for dimension ", d,
                               " needs one enable bit per index (", size, "), got ",
                               s.signals.size());
                }
                break;
            case KidxKind::Reduce:
                if (!s.signals.empty()) return malformed_kidx_message(kidx_kind_text(s.kind));
                break;
        }
        for (const HcpIdent& sig : s.signals) {
            if (Problem p = check_ident(arena, sig)) return p;
        }
    }
    return std::nullopt;
}

Problem check_karray_read(const ModelArena& arena, const CcpIdent& karray,
                          const std::vector<Kidx>& sel, const KarrayReduceFns& fns) {
    return with_karray(arena, karray, [&](const Karray& k) -> Problem {
        if (Problem p = check_kidx(arena, k, sel)) return p;
        for (size_t d = 0; d < sel.size(); ++d) {
            switch (sel[d].kind) {
                case KidxKind::Custom:
                    return std::string(kCustomRead);
                case KidxKind::Dyn:
                    if (Problem p = dyn_width_refusal(arena, k, d, sel[d].signals[0])) return p;
                    break;
                case KidxKind::Reduce:
                    if (d >= fns.size() || !fns[d]) {
                        return cat("Karray reduce: dimension ", d, " has no select fn");
                    }
                    break;
                case KidxKind::Static:
                    break;
            }
        }
        return std::nullopt;
    });
}

KarrayProblem check_karray_write(const ModelArena& arena, const CcpIdent& karray,
                                 const std::vector<Kidx>& sel, bool expect_clocked) {
    return with_karray(arena, karray, [&](const Karray& k) -> KarrayProblem {
        if (expect_clocked && !k.is_clocked()) return type_refusal(kClockedNeedsReg);
        if (!expect_clocked && k.is_clocked()) return type_refusal(kCombNeedsWire);
        if (Problem p = check_kidx(arena, k, sel)) return as_value_refusal(p);
        for (const Kidx& s : sel) {
            if (!k.is_clocked() && s.kind != KidxKind::Static) {
                return type_refusal(kDynWriteNeedsReg);
            }
        }
        for (const Kidx& s : sel) {
            if (s.kind == KidxKind::Reduce) return as_value_refusal(std::string(kReduceWrite));
        }
        for (size_t d = 0; d < sel.size(); ++d) {
            const Kidx& s = sel[d];
            if (s.kind == KidxKind::Dyn) {
                if (Problem p = dyn_width_refusal(arena, k, d, s.signals[0])) {
                    return as_value_refusal(p);
                }
            }
            if (s.kind != KidxKind::Custom) continue;
            for (size_t i = 0; i < s.signals.size(); ++i) {
                int32_t w = arena.hcp_width(s.signals[i]);
                if (w != 1) {
                    return as_value_refusal(cat("custom write enable ", i, " for dimension ", d,
                                                " must be 1-bit, got ", w,
                                                " (slice or reduce it to one bit)"));
                }
            }
        }
        return std::nullopt;
    });
}

Problem check_karray_reset_field(const ModelArena& arena, const CcpIdent& karray,
                                 std::string_view field) {
    return with_karray(arena, karray, [&](const Karray& k) -> Problem {
        if (!k.is_clocked()) {
            return std::string(
                "reset(...) requires a reg-backed Karray (a wire has no state to reset; use "
                "default(...))");
        }
        if (Problem p = k.field_refusal(field)) return p;
        size_t f = *k.field_index(field);
        for (uint64_t e = 0; e < k.element_count(); ++e) {
            bool has_reset = read_hcp_as<Reg>(arena, k.element_hcp(e, f),
                                              [](const Reg& r) { return r.reset_val.has_value(); });
            if (has_reset) {
                return cat("Karray '", k.name(), "': field '", field, "' of element ", e,
                           " has a reset value already; a field is reset once");
            }
        }
        return std::nullopt;
    });
}

Problem check_karray_reset(const ModelArena& arena, const CcpIdent& karray, std::string_view field,
                           const HcpIdent& value) {
    if (Problem p = check_karray_reset_field(arena, karray, field)) return p;
    if (Problem p = check_ident(arena, value)) return p;
    return with_karray(arena, karray, [&](const Karray& k) -> Problem {
        int32_t want = k.fields[*k.field_index(field)].width;
        int32_t w = arena.hcp_width(value);
        if (w == want) return std::nullopt;
        return cat("Karray '", k.name(), "': the reset value of field '", field, "' must be ", want,
                   "-bit, got ", w);
    });
}

Problem check_karray_pick(const ModelArena& arena, const KarrayPick& pick, size_t dim) {
    std::string who = cat("Karray reduce: the select fn of dimension ", dim);
    if (Problem p = check_ident(arena, pick.pick_a)) return cat(who, " returned a pick: ", *p);
    int32_t w = arena.hcp_width(pick.pick_a);
    if (w != 1) return cat(who, " must return a 1-bit pick, got ", w, " bits");
    for (const KarrayEntry& e : pick.extras) {
        if (Problem p = check_ident(arena, e.sig)) {
            return cat(who, " returned an extra '", e.name, "': ", *p);
        }
    }
    return std::nullopt;
}

Problem check_karray_bare_source(const ModelArena& arena, const CcpIdent& karray) {
    return with_karray(arena, karray, [](const Karray& k) -> Problem {
        if (k.fields.size() == 1) return std::nullopt;
        return std::string(
            "a bare scalar source can only drive a single-field Karray; use a {field_name: "
            "source} mapping");
    });
}

Problem match_karray_sources(const ModelArena& arena, const CcpIdent& karray,
                             const std::vector<std::string_view>& names, KarraySourceMatch& out) {
    out = KarraySourceMatch{};
    return with_karray(arena, karray, [&](const Karray& k) -> Problem {
        for (size_t i = 0; i < names.size(); ++i) {
            if (k.field_index(names[i])) {
                out.matched.push_back(i);
            } else {
                out.skipped = true;
            }
        }
        if (out.matched.empty())
            return std::string("Karray assignment: no source matched any field");
        return std::nullopt;
    });
}

Problem match_karray_fields(const ModelArena& arena, const CcpIdent& dst, const CcpIdent& src,
                            KarrayFieldPairs& out) {
    out = KarrayFieldPairs{};
    std::vector<KarrayField> src_fields =
        with_karray(arena, src, [](const Karray& k) { return k.fields; });
    std::unordered_map<std::string_view, size_t> by_name;  // field names are distinct
    for (size_t s = 0; s < src_fields.size(); ++s) by_name.emplace(src_fields[s].name, s);
    return with_karray(arena, dst, [&](const Karray& k) -> Problem {
        for (size_t d = 0; d < k.fields.size(); ++d) {
            auto it = by_name.find(k.fields[d].name);
            if (it != by_name.end() && src_fields[it->second].width == k.fields[d].width) {
                out.pairs.emplace_back(d, it->second);
            } else {
                out.skipped = true;
            }
        }
        if (out.pairs.empty()) {
            return std::string(
                "Karray assignment: no destination field matches a source field by name+width");
        }
        return std::nullopt;
    });
}

}  // namespace velmora
