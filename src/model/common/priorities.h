#pragma once
// Assignment priorities: a destination's events are written lowest first, so a higher priority
// overrides a lower one in the same cycle.
#include <cstdint>

namespace velmora {

inline constexpr int32_t DEFAULT_UE_PRI_USER = 10;
inline constexpr int32_t DEFAULT_UE_PRI_INTERNAL_MAX = 100;
inline constexpr int32_t DEFAULT_UE_PRI_INTERNAL_MIN = 50;
inline constexpr int32_t DEFAULT_UE_PRI_RST = 2147483647;
inline constexpr int32_t DEFAULT_UE_PRI_MIN = 0;
inline constexpr int32_t DEFAULT_UE_PRI_FALLBACK = 1;
inline constexpr uint64_t DEFAULT_UE_SUB_PRIORITY_USER = 0;

/// Priority of row `rank` of a control register's next-state table (rank 0 is the lowest row).
/// The rows sit at the bottom of the internal band, above every user assignment.
constexpr int32_t ctrl_row_priority(int32_t rank) {
    return DEFAULT_UE_PRI_INTERNAL_MIN + rank;
}

}  // namespace velmora
