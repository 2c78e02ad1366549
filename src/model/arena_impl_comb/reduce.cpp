// Reductions over many terms: a balanced tree of two-operand expressions, any-of and the sum.
#include <algorithm>

#include "common/user_error.h"
#include "model/arena_impl_comb/comb_checks.h"
#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

Slice range_of(const ModelArena& arena, const HcpTerm& term) {
    return term.slice && term.slice->is_valid() ? *term.slice : arena.hcp_full_slice(term.sig);
}

}  // namespace

HcpTerm ModelArena::fold_balanced(std::string_view name, std::vector<HcpTerm> terms, LogicOp op) {
    if (terms.empty()) panic(cat("fold_balanced '", name, "': no terms to reduce"));
    std::string pair_name = cat(name, "_t");
    std::vector<HcpTerm> next;
    while (terms.size() > 1) {
        next.clear();
        next.reserve((terms.size() + 1) / 2);
        for (size_t i = 0; i + 1 < terms.size(); i += 2) {
            const HcpTerm& a = terms[i];
            const HcpTerm& b = terms[i + 1];
            next.push_back(
                HcpTerm{make_expression(true, pair_name, op, a.sig, b.sig, a.slice, b.slice),
                        std::nullopt});
        }
        if (terms.size() % 2 == 1) next.push_back(std::move(terms.back()));
        terms.swap(next);
    }
    return std::move(terms.front());
}

OptHcpIdent ModelArena::gen_any_of(std::string_view name, const std::vector<HcpTerm>& terms) {
    if (terms.empty()) return make_val(true, name, 1, 0);
    if (terms.size() == 1) return std::nullopt;
    return fold_balanced(name, terms, LogicOp::LogicalOr).sig;
}

HcpIdent ModelArena::gen_sum_cnt(std::string_view name, const std::vector<HcpTerm>& bits,
                                 std::optional<int32_t> width) {
    int32_t widest = 0;
    for (const HcpTerm& t : bits) widest = std::max(widest, range_of(*this, t).size());
    SumCntWidth w = resolve_sum_cnt_width(bits.size(), widest, width);
    if (w.problem) fail_user(*w.problem);
    std::string ext_name = cat(name, "_ext");
    std::vector<HcpTerm> extended;
    extended.reserve(bits.size());
    for (const HcpTerm& t : bits) {
        // A term wider than the sum adds only its low bits: the sum is kept modulo 2^width.
        Slice r = range_of(*this, t);
        if (r.size() > w.width) r.stop = r.start + w.width;
        extended.push_back(
            HcpTerm{make_expression_constant(true, ext_name, LogicOp::ExtendBit, t.sig, w.width, r),
                    std::nullopt});
    }
    return fold_balanced(name, std::move(extended), LogicOp::ArithPlus).sig;
}

}  // namespace velmora
