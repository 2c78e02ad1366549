#pragma once
// A multi-dimensional array of records. Every field of every element is an ordinary register or
// wire (its backing), made with the array; reads and writes build their mux trees and write
// enables at each operation, so the array has nothing left to build at the flow build.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "model/complex_hardware/ccp_base.h"
#include "model/complex_hardware/karray_types.h"
#include "model/validate.h"

namespace velmora {

class Karray : public CcpBase {
public:
    HwComponentType backing = HwComponentType::Reg;
    std::vector<uint64_t> shape;
    std::vector<KarrayField> fields;
    /// Element-major: element e's field f is at f + fields.size() * e.
    std::vector<HcpIdent> element_hcps;

    Karray(CcpIdent id, HwComponentType backing_kind, std::vector<uint64_t> dims,
           std::vector<KarrayField> element_fields, std::vector<HcpIdent> signals)
        : CcpBase(std::move(id)),
          backing(backing_kind),
          shape(std::move(dims)),
          fields(std::move(element_fields)),
          element_hcps(std::move(signals)) {}

    std::string_view name() const { return ident.ident_base.rel_view(); }
    bool is_clocked() const { return backing == HwComponentType::Reg; }
    uint64_t element_count() const { return element_hcps.size() / fields.size(); }

    std::optional<size_t> field_index(std::string_view field) const;
    /// "Karray has no field '{name}' (fields: a, b)" when there is none of that name.
    Problem field_refusal(std::string_view field) const;
    /// Why the coordinate names no element: wrong length or an index out of its dimension.
    Problem coord_refusal(const std::vector<uint64_t>& coord) const;
    /// Row-major element number of a coordinate that passed coord_refusal.
    uint64_t element_number(const std::vector<uint64_t>& coord) const;

    const HcpIdent& element_hcp(uint64_t element, size_t field) const {
        return element_hcps[field + fields.size() * element];
    }
    /// The signal of one element field; a bad field index or coordinate is a UserError.
    const HcpIdent& element_hcp(const std::vector<uint64_t>& coord, size_t field) const;
};

/// Bits an index needs to address `size` elements: the least k >= 1 with 2^k >= size.
int32_t karray_index_bits(uint64_t size);

}  // namespace velmora
