#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

/// A bit range [start, stop).
struct Slice {
    int32_t start = 0;
    int32_t stop = 0;

    int32_t size() const { return stop - start; }
    /// Usable: 0 <= start < stop.
    bool is_valid() const { return start >= 0 && start < stop; }
    bool operator==(const Slice&) const = default;
    /// Record form with field names, used in messages: "Slice { start: 3, stop: 4 }".
    std::string debug_text() const {
        return "Slice { start: " + std::to_string(start) + ", stop: " + std::to_string(stop) + " }";
    }
};

using OptSlice = std::optional<Slice>;

}  // namespace velmora
