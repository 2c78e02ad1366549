// The Karray record: field lookup and element numbering.
#include "model/complex_hardware/karray.h"

#include <bit>

#include "common/user_error.h"
#include "util/str_cat.h"

namespace velmora {

std::optional<size_t> Karray::field_index(std::string_view field) const {
    for (size_t f = 0; f < fields.size(); ++f) {
        if (fields[f].name == field) return f;
    }
    return std::nullopt;
}

Problem Karray::field_refusal(std::string_view field) const {
    if (field_index(field)) return std::nullopt;
    std::string list;
    for (size_t f = 0; f < fields.size(); ++f) list += cat(f == 0 ? "" : ", ", fields[f].name);
    return cat("Karray has no field '", field, "' (fields: ", list, ")");
}

Problem Karray::coord_refusal(const std::vector<uint64_t>& coord) const {
    if (coord.size() != shape.size()) {
        return cat("Karray: expected ", shape.size(), " indices, got ", coord.size());
    }
    for (size_t d = 0; d < shape.size(); ++d) {
        if (coord[d] >= shape[d]) {
            return cat("Karray: index ", coord[d], " out of bounds for dimension of size ",
                       shape[d]);
        }
    }
    return std::nullopt;
}

uint64_t Karray::element_number(const std::vector<uint64_t>& coord) const {
    // Bounded by the element count (at most kMaxKarrayElements) once the coordinate is checked.
    uint64_t e = 0;
    for (size_t d = 0; d < shape.size(); ++d) e = e * shape[d] + coord[d];
    return e;
}

const HcpIdent& Karray::element_hcp(const std::vector<uint64_t>& coord, size_t field) const {
    if (field >= fields.size()) {
        fail_user(cat("Karray: field index ", field, " out of range (have ", fields.size(), ")"));
    }
    if (Problem p = coord_refusal(coord)) fail_user(*p);
    return element_hcp(element_number(coord), field);
}

int32_t karray_index_bits(uint64_t size) {
    if (size <= 2) return 1;
    return static_cast<int32_t>(std::bit_width(size - 1));
}

}  // namespace velmora
