// Karray reads: a static index picks its element; a dynamic index reads every element of its
// dimension and folds them with a binary mux tree on the index bits; a reduce folds them the same
// way, the select of each pair coming from the user's select fn.
#include "model/complex_hardware/karray_read.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "common/user_error.h"
#include "model/common/priorities.h"
#include "model/complex_hardware/karray.h"
#include "model/complex_hardware/karray_checks.h"
#include "model/model_store.h"
#include "model/typed_access.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

/// One signal of a candidate: made already (an element field, an extra, a made mux), or a mux of
/// two others still to make. Muxes are made on first use, so that a fold leaves no mux that
/// nothing reads (the fields of a reduce's last merge that the read does not ask for).
struct Signal {
    OptHcpIdent made;
    size_t a = 0;
    size_t b = 0;
    OptHcpIdent pick_a;  // a reduce's pick; a dynamic index's bit otherwise
    size_t dim = 0;
    uint32_t level = 0;
    uint64_t node = 0;
    size_t field = 0;
};

struct Candidate {
    std::vector<std::pair<std::string, size_t>> entries;  // name, signal
    std::vector<uint64_t> indices;
};

/// Folds the candidates of every non-static dimension. Nothing of the array is held while logic
/// is made: a select fn may make arrays of its own, which moves the array storage.
class Reader {
public:
    Reader(ModelArena& arena, const CcpIdent& karray, const std::vector<Kidx>& sel,
           const KarrayReduceFns& fns, std::vector<size_t> carried)
        : arena_(arena), karray_(karray), sel_(sel), fns_(fns), carried_(std::move(carried)) {
        read_ccp_as<Karray>(arena, karray, [&](const Karray& k) {
            name_ = k.name();
            shape_ = k.shape;
            fields_ = k.fields;
        });
    }

    Candidate read(size_t dim, uint64_t prefix) {
        if (dim == sel_.size()) return leaf(prefix);
        const Kidx& s = sel_[dim];
        if (s.kind == KidxKind::Static) return read(dim + 1, prefix * shape_[dim] + s.index);
        std::vector<Candidate> cands;
        cands.reserve(shape_[dim]);
        for (uint64_t i = 0; i < shape_[dim]; ++i) {
            cands.push_back(read(dim + 1, prefix * shape_[dim] + i));
            cands.back().indices = {i};
        }
        return fold(dim, std::move(cands));
    }

    HcpIdent make(size_t s) {
        if (signals_[s].made) return *signals_[s].made;
        HcpIdent a = make(signals_[s].a);
        HcpIdent b = make(signals_[s].b);
        Signal m = signals_[s];
        HcpIdent pick = m.pick_a ? *m.pick_a : even_select(m.dim, m.level);
        int32_t width = std::max(arena_.hcp_width(a), arena_.hcp_width(b));
        HcpIdent wire = arena_.make_wire(
            false, cat(name_, "_D", m.dim, "L", m.level, "N", m.node, "F", m.field, "_DMUX"),
            width);
        arena_.mux_into_wire(wire, pick, HcpTerm{a, std::nullopt}, HcpTerm{b, std::nullopt},
                             DEFAULT_UE_PRI_INTERNAL_MIN);
        signals_[s].made = wire;
        return wire;
    }

private:
    size_t add_made(HcpIdent sig) {
        signals_.push_back(Signal{std::move(sig)});
        return signals_.size() - 1;
    }

    Candidate leaf(uint64_t element) {
        Candidate c;
        std::vector<HcpIdent> sigs;
        read_ccp_as<Karray>(arena_, karray_, [&](const Karray& k) {
            for (size_t f : carried_) sigs.push_back(k.element_hcp(element, f));
        });
        for (size_t j = 0; j < carried_.size(); ++j) {
            c.entries.emplace_back(fields_[carried_[j]].name, add_made(sigs[j]));
        }
        return c;
    }

    /// Pairs (0,1), (2,3), ... per level, an unpaired last candidate moving up unchanged.
    Candidate fold(size_t dim, std::vector<Candidate> cands) {
        for (uint32_t level = 0; cands.size() > 1; ++level) {
            std::vector<Candidate> next;
            next.reserve((cands.size() + 1) / 2);
            for (size_t i = 0; i + 1 < cands.size(); i += 2) {
                next.push_back(merge_pair(dim, level, i / 2, cands[i], cands[i + 1]));
            }
            if (cands.size() % 2 == 1) next.push_back(std::move(cands.back()));
            cands = std::move(next);
        }
        return std::move(cands.front());
    }

    KarrayCandidate made(const Candidate& c) {
        KarrayCandidate out;
        for (const auto& [name, s] : c.entries) out.entries.push_back({name, make(s)});
        out.indices = c.indices;
        return out;
    }

    Candidate merge_pair(size_t dim, uint32_t level, uint64_t node, const Candidate& a,
                         const Candidate& b) {
        if (sel_[dim].kind == KidxKind::Dyn) {
            // Bit `level` of the index low selects the even (a) candidate.
            return merge(dim, level, node, std::nullopt, a, b);
        }
        KarrayPick pick = fns_[dim](made(a), made(b), level);
        if (Problem p = check_karray_pick(arena_, pick, dim)) fail_user(*p);
        Candidate merged = merge(dim, level, node, pick.pick_a, a, b);
        std::unordered_map<std::string, size_t> at;
        for (size_t j = 0; j < merged.entries.size(); ++j) at.emplace(merged.entries[j].first, j);
        for (KarrayEntry& extra : pick.extras) {
            size_t s = add_made(std::move(extra.sig));
            auto it = at.find(extra.name);
            if (it != at.end()) {
                merged.entries[it->second].second = s;
            } else {
                at.emplace(extra.name, merged.entries.size());
                merged.entries.emplace_back(std::move(extra.name), s);
            }
        }
        return merged;
    }

    /// Entries of the same name are selected by `pick_a` (a when high); an entry only one side
    /// has (an extra of a lower level that reached only one side) is kept as it is.
    Candidate merge(size_t dim, uint32_t level, uint64_t node, const OptHcpIdent& pick_a,
                    const Candidate& a, const Candidate& b) {
        Candidate out;
        out.indices = a.indices;
        out.indices.insert(out.indices.end(), b.indices.begin(), b.indices.end());
        std::unordered_map<std::string_view, size_t> in_b;
        for (size_t j = 0; j < b.entries.size(); ++j) in_b.emplace(b.entries[j].first, j);
        std::vector<bool> b_used(b.entries.size(), false);
        for (const auto& [name, sa] : a.entries) {
            auto it = in_b.find(name);
            if (it == in_b.end()) {
                out.entries.emplace_back(name, sa);
                continue;
            }
            b_used[it->second] = true;
            size_t sb = b.entries[it->second].second;
            if (same_signal(sa, sb)) {
                out.entries.emplace_back(name, sa);
                continue;
            }
            signals_.push_back(
                Signal{std::nullopt, sa, sb, pick_a, dim, level, node, out.entries.size()});
            out.entries.emplace_back(name, signals_.size() - 1);
        }
        for (size_t j = 0; j < b.entries.size(); ++j) {
            if (!b_used[j]) out.entries.push_back(b.entries[j]);
        }
        return out;
    }

    bool same_signal(size_t a, size_t b) const {
        return a == b ||
               (signals_[a].made && signals_[b].made && *signals_[a].made == *signals_[b].made);
    }

    /// "{array}_D{dim}_B{level}_N": high when bit `level` of the dimension's index is low. Made
    /// once per read, with the bit select "{array}_D{dim}_B{level}" it inverts.
    HcpIdent even_select(size_t dim, uint32_t level) {
        auto key = std::make_pair(dim, level);
        auto it = even_selects_.find(key);
        if (it != even_selects_.end()) return it->second;
        std::string base = cat(name_, "_D", dim, "_B", level);
        HcpIdent bit = arena_.make_expression_single(
            false, base, LogicOp::SliceBit, sel_[dim].signals[0],
            Slice{static_cast<int32_t>(level), static_cast<int32_t>(level) + 1});
        HcpIdent inv = arena_.make_expression_single(false, cat(base, "_N"), LogicOp::BitwiseInvr,
                                                     bit, std::nullopt);
        even_selects_.emplace(key, inv);
        return inv;
    }

    struct PairHash {
        size_t operator()(const std::pair<size_t, uint32_t>& k) const {
            return std::hash<uint64_t>()((uint64_t(k.first) << 6) ^ k.second);
        }
    };

    ModelArena& arena_;
    CcpIdent karray_;
    const std::vector<Kidx>& sel_;
    const KarrayReduceFns& fns_;
    std::vector<size_t> carried_;
    std::string name_;
    std::vector<uint64_t> shape_;
    std::vector<KarrayField> fields_;
    std::vector<Signal> signals_;
    std::unordered_map<std::pair<size_t, uint32_t>, HcpIdent, PairHash> even_selects_;
};

}  // namespace

std::vector<HcpIdent> read_karray(ModelArena& arena, const CcpIdent& karray,
                                  const std::vector<Kidx>& sel, const KarrayReduceFns& fns,
                                  const std::vector<std::string>& wanted) {
    std::vector<KarrayField> fields = arena.karray_fields(karray);
    bool reduces = std::any_of(sel.begin(), sel.end(),
                               [](const Kidx& s) { return s.kind == KidxKind::Reduce; });
    std::unordered_set<std::string_view> asked(wanted.begin(), wanted.end());
    std::vector<size_t> carried;
    for (size_t f = 0; f < fields.size(); ++f) {
        if (reduces || asked.count(fields[f].name) != 0) carried.push_back(f);
    }
    Reader reader(arena, karray, sel, fns, std::move(carried));
    Candidate result = reader.read(0, 0);
    std::unordered_map<std::string_view, size_t> by_name;
    for (const auto& [name, s] : result.entries) by_name.emplace(name, s);
    std::vector<HcpIdent> out;
    for (const std::string& name : wanted) {
        auto it = by_name.find(name);
        if (it == by_name.end()) panic(cat("Karray read: no entry '", name, "' after the fold"));
        out.push_back(reader.make(it->second));
    }
    return out;
}

HcpIdent ModelArena::karray_read_field_hcp(const CcpIdent& karray, const std::vector<Kidx>& sel,
                                           const KarrayReduceFns& fns, std::string_view field) {
    if (Problem p = check_karray_field(*this, karray, field)) fail_user(*p);
    if (Problem p = check_karray_read(*this, karray, sel, fns)) fail_user(*p);
    return read_karray(*this, karray, sel, fns, {std::string(field)}).front();
}

}  // namespace velmora
