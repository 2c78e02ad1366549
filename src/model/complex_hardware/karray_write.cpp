// Karray writes: the dimensions are walked in order, carrying the element number and the write
// enable so far. A static index picks its element; a dynamic index compares the index signal
// with every index of its dimension; a custom index takes one enable per index. Each element
// reached gets one assignment per source, guarded by the enable; all of them form one
// assignment node of the current flow scope.
#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>

#include "common/user_error.h"
#include "model/complex_hardware/karray.h"
#include "model/complex_hardware/karray_checks.h"
#include "model/complex_hardware/karray_read.h"
#include "model/model_store.h"
#include "model/typed_access.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

/// A source fitted to its field, as an assignment source is fitted to its destination.
struct FieldSource {
    size_t field;
    SanitizedSrc fit;
};

class Writer {
public:
    Writer(ModelArena& arena, const CcpIdent& karray, const std::vector<Kidx>& sel)
        : arena_(arena), karray_(karray), sel_(sel) {
        read_ccp_as<Karray>(arena, karray, [&](const Karray& k) {
            name_ = k.name();
            shape_ = k.shape;
            fields_ = k.fields;
        });
        for (size_t f = 0; f < fields_.size(); ++f) field_at_.emplace(fields_[f].name, f);
    }

    /// Fits every source to its field (once, not per element) and reports the fits against the
    /// first element the write reaches.
    std::vector<KarrayFit> fit(const std::vector<KarraySource>& sources) {
        uint64_t first = 0;
        for (size_t d = 0; d < sel_.size(); ++d) {
            first = first * shape_[d] + (sel_[d].kind == KidxKind::Static ? sel_[d].index : 0);
        }
        std::vector<KarrayFit> fits;
        for (const KarraySource& s : sources) {
            size_t f = field_of(s.field);
            HcpIdent des = element(first, f);
            SanitizedSrc fitted = arena_.sanitize_asm_src(des, s.sig, std::nullopt, -1, -1);
            sources_.push_back(FieldSource{f, fitted});
            fits.push_back(KarrayFit{fitted, des});
        }
        return fits;
    }

    void write() {
        walk(0, 0, std::nullopt);
        bool one_element = std::all_of(sel_.begin(), sel_.end(),
                                       [](const Kidx& s) { return s.kind == KidxKind::Static; });
        NcpIdent node = arena_.make_asm_node_many(
            cat(one_element ? "elem_asm" : "karr_asm", "_", name_), std::move(metas_));
        arena_.attach_basic_node_to_current_scope(node);
    }

private:
    size_t field_of(std::string_view name) const {
        auto it = field_at_.find(name);
        if (it == field_at_.end()) panic(cat("Karray write: no field '", name, "'"));
        return it->second;
    }

    HcpIdent element(uint64_t e, size_t f) const {
        return read_ccp_as<Karray>(arena_, karray_,
                                   [&](const Karray& k) { return k.element_hcp(e, f); });
    }

    void walk(size_t dim, uint64_t prefix, const OptHcpIdent& enable) {
        if (dim == sel_.size()) {
            assign_element(prefix, enable);
            return;
        }
        const Kidx& s = sel_[dim];
        uint64_t size = shape_[dim];
        if (s.kind == KidxKind::Static) {
            walk(dim + 1, prefix * size + s.index, enable);
            return;
        }
        for (uint64_t i = 0; i < size; ++i) {
            HcpIdent term = s.kind == KidxKind::Dyn ? index_equals(dim, i) : s.signals[i];
            walk(dim + 1, prefix * size + i, and_enable(enable, term, dim, i));
        }
    }

    void assign_element(uint64_t e, const OptHcpIdent& enable) {
        for (const FieldSource& s : sources_) {
            AssignMeta meta = arena_.with_hcp(element(e, s.field), [&](HcpBase& des) {
                return des.gen_asm_meta(arena_, s.fit.src, std::nullopt, s.fit.src_slice.start,
                                        s.fit.src_slice.stop);
            });
            // Applied when the node takes its clock, like any guard of a flow block.
            meta.pending_pre_cond = enable;
            metas_.push_back(std::move(meta));
        }
    }

    /// "{array}_D{dim}_EQ{i}" = (index == "{array}_D{dim}_EQ{i}_C"); made once per dimension
    /// and index, however many elements of the outer dimensions share it.
    HcpIdent index_equals(size_t dim, uint64_t i) {
        std::vector<HcpIdent>& eqs = comparators_[dim];
        if (eqs.empty()) {
            const HcpIdent& index = sel_[dim].signals[0];
            int32_t w = arena_.hcp_width(index);
            eqs.reserve(shape_[dim]);
            for (uint64_t k = 0; k < shape_[dim]; ++k) {
                std::string base = cat(name_, "_D", dim, "_EQ", k);
                HcpIdent c = arena_.make_val(false, cat(base, "_C"), w, k);
                eqs.push_back(arena_.make_expression(false, base, LogicOp::RelationEq, index, c,
                                                     std::nullopt, std::nullopt));
            }
        }
        return eqs[i];
    }

    HcpIdent and_enable(const OptHcpIdent& enable, const HcpIdent& term, size_t dim, uint64_t i) {
        if (!enable) return term;
        return arena_.make_expression(false, cat(name_, "_D", dim, "I", i, "_WE"),
                                      LogicOp::BitwiseAnd, *enable, term, std::nullopt,
                                      std::nullopt);
    }

    ModelArena& arena_;
    CcpIdent karray_;
    const std::vector<Kidx>& sel_;
    std::string name_;
    std::vector<uint64_t> shape_;
    std::vector<KarrayField> fields_;
    std::unordered_map<std::string_view, size_t> field_at_;  // views into fields_
    std::vector<FieldSource> sources_;
    std::unordered_map<size_t, std::vector<HcpIdent>> comparators_;
    std::vector<AssignMeta> metas_;
};

void raise(const KarrayRefusal& r) {
    if (r.is_type_error) throw UserTypeError(r.message);
    fail_user(r.message);
}

std::vector<KarrayFit> write(ModelArena& arena, const CcpIdent& karray,
                             const std::vector<Kidx>& sel,
                             const std::vector<KarraySource>& sources) {
    Writer w(arena, karray, sel);
    std::vector<KarrayFit> fits = w.fit(sources);
    w.write();
    return fits;
}

}  // namespace

std::vector<KarrayFit> ModelArena::karray_assign_hcps(const CcpIdent& karray,
                                                      const std::vector<Kidx>& sel,
                                                      const std::vector<KarraySource>& sources,
                                                      bool expect_clocked) {
    if (KarrayProblem r = check_karray_write(*this, karray, sel, expect_clocked)) raise(*r);
    std::vector<std::string_view> names;
    for (const KarraySource& s : sources) names.push_back(s.field);
    KarraySourceMatch match;
    if (Problem p = match_karray_sources(*this, karray, names, match)) fail_user(*p);
    std::vector<KarraySource> matched;
    for (size_t i : match.matched) {
        if (Problem p = check_ident(*this, sources[i].sig)) fail_user(*p);
        matched.push_back(sources[i]);
    }
    return write(*this, karray, sel, matched);
}

std::vector<KarrayFit> ModelArena::karray_assign_k2k(
    const CcpIdent& dst, const std::vector<Kidx>& dst_sel, const CcpIdent& src,
    const std::vector<Kidx>& src_sel, const KarrayReduceFns& src_fns, bool expect_clocked) {
    if (KarrayProblem r = check_karray_write(*this, dst, dst_sel, expect_clocked)) raise(*r);
    if (Problem p = check_karray_read(*this, src, src_sel, src_fns)) fail_user(*p);
    KarrayFieldPairs pairs;
    if (Problem p = match_karray_fields(*this, dst, src, pairs)) fail_user(*p);
    std::vector<KarrayField> dst_fields = karray_fields(dst);
    std::vector<std::string> wanted;
    for (const auto& [d, s] : pairs.pairs) wanted.push_back(dst_fields[d].name);
    std::vector<HcpIdent> read = read_karray(*this, src, src_sel, src_fns, wanted);
    std::vector<KarraySource> sources;
    for (size_t j = 0; j < wanted.size(); ++j) sources.push_back(KarraySource{wanted[j], read[j]});
    return write(*this, dst, dst_sel, sources);
}

}  // namespace velmora
