#pragma once
// Refusals of the combinational generators, run before anything is created. Each returns the
// problem as text (nullopt when the input is fine); the core raises it as UserError, the binding
// as ValueError before it makes constants of its own.
#include <cstdint>
#include <optional>
#include <string_view>

#include "model/validate.h"

namespace velmora {

/// A multiplexer of `width` bits on a one-bit condition.
Problem check_gen_mux(const ModelArena& arena, const HcpIdent& cond, const OptSlice& cond_slice,
                      int32_t width);
/// A rotation over `width` bits (when given) of a range of `range_size` bits.
Problem check_rotate_width(std::string_view op_name, std::optional<int32_t> width,
                           int32_t range_size);

/// Bits that hold the largest sum of `n` terms (n >= 1) of at most `m` bits (m >= 1): the bit
/// length of n * (2^m - 1), or m + ceil(log2 n) above 100 bits. Free of overflow for every n
/// and m.
int64_t sum_cnt_width(uint64_t n, int32_t m);

struct SumCntWidth {
    int32_t width = 0;
    Problem problem;  // set when the width is refused
};
/// The width of a sum: the given one, or the one `sum_cnt_width` infers for the terms; either
/// must be 1 to kMaxBitWidth. Also refuses an empty term list.
SumCntWidth resolve_sum_cnt_width(uint64_t n_terms, int32_t widest_term,
                                  std::optional<int32_t> width);

}  // namespace velmora
