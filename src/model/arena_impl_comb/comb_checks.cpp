#include "model/arena_impl_comb/comb_checks.h"

#include <bit>

#include "model/common/limits.h"
#include "util/str_cat.h"

namespace velmora {

Problem check_gen_mux(const ModelArena& arena, const HcpIdent& cond, const OptSlice& cond_slice,
                      int32_t width) {
    if (Problem p = check_one_bit_cond(arena, cond, cond_slice)) return p;
    if (width < 1) return cat("mux needs a width >= 1, got ", width);
    if (width > kMaxBitWidth) {
        return cat("mux needs a width <= ", kMaxBitWidth, ", got ", width,
                   " (no signal is wider); pass a narrower width");
    }
    return std::nullopt;
}

Problem check_rotate_width(std::string_view op_name, std::optional<int32_t> width,
                           int32_t range_size) {
    if (!width) return std::nullopt;
    if (*width < 1) return cat(op_name, " needs a width >= 1, got ", *width);
    if (*width > range_size) {
        return cat(op_name, " width ", *width, " exceeds the signal's ", range_size,
                   " bits — a rotate is only a rotate over bits that are there");
    }
    return std::nullopt;
}

int64_t sum_cnt_width(uint64_t n, int32_t m) {
    auto bits = [](uint64_t v) { return static_cast<int64_t>(std::bit_width(v)); };
    int64_t b = bits(n);
    if (m > 100) return int64_t{m} + (n <= 1 ? 0 : bits(n - 1));
    // n * (2^m - 1) = n * 2^m - n, with b the bit length of n, lies in [2^(b+m-2), 2^(b+m-1))
    // for a power of two n, and in [2^(b+m-1), 2^(b+m)) for any other n once m >= b. Only
    // m < b (so m < 64 and the product < 2^128) needs the product itself.
    if (std::has_single_bit(n)) return b + m - 1;
    if (m >= b) return b + m;
    unsigned __int128 product = static_cast<unsigned __int128>(n) * ((uint64_t{1} << m) - 1);
    uint64_t high = static_cast<uint64_t>(product >> 64);
    return high != 0 ? 64 + bits(high) : bits(static_cast<uint64_t>(product));
}

SumCntWidth resolve_sum_cnt_width(uint64_t n_terms, int32_t widest_term,
                                  std::optional<int32_t> width) {
    if (n_terms == 0) return {0, "sum_cnt of no signals has no width — pass at least one"};
    if (width) {
        if (*width >= 1 && *width <= kMaxBitWidth) return {*width, std::nullopt};
        return {0, cat("sum_cnt needs a width from 1 to ", kMaxBitWidth, ", got ", *width)};
    }
    int32_t m = widest_term < 1 ? 1 : widest_term;
    int64_t inferred = sum_cnt_width(n_terms, m);
    if (inferred <= kMaxBitWidth) return {static_cast<int32_t>(inferred), std::nullopt};
    return {0, cat("sum_cnt of ", n_terms, " terms of up to ", m, " bits needs ", inferred,
                   " bits, more than the ", kMaxBitWidth,
                   "-bit limit of a signal; pass a narrower width (the sum is then kept modulo "
                   "2^width)")};
}

}  // namespace velmora
