// The arena's Karray operations that make or look up signals: creation, queries, element access
// and reset. Reads and writes are in karray_read.cpp and karray_write.cpp.
#include "common/internal_error.h"
#include "common/user_error.h"
#include "model/complex_hardware/karray.h"
#include "model/complex_hardware/karray_checks.h"
#include "model/model_store.h"
#include "model/typed_access.h"
#include "util/str_cat.h"

namespace velmora {

CcpIdent ModelArena::make_karray(std::string_view name, std::vector<uint64_t> shape,
                                 std::vector<KarrayField> fields, HwComponentType backing) {
    if (Problem p = check_karray_new(name, backing, shape, fields)) panic(*p);
    uint64_t count = 1;
    for (uint64_t d : shape) count *= d;  // bounded by the check
    std::vector<HcpIdent> signals;
    signals.reserve(count * fields.size());
    for (uint64_t e = 0; e < count; ++e) {
        for (const KarrayField& f : fields) {
            std::string signal_name = cat(name, "_E", e, "_", f.name);
            signals.push_back(backing == HwComponentType::Reg
                                  ? make_reg(false, signal_name, f.width)
                                  : make_wire(false, signal_name, f.width));
        }
    }
    Karray k(CcpIdent::make(CcpType::Karray, true, name), backing, std::move(shape),
             std::move(fields), std::move(signals));
    return insert_ccp(std::move(k));
}

std::vector<uint64_t> ModelArena::karray_shape(const CcpIdent& k) const {
    return read_ccp_as<Karray>(*this, k, [](const Karray& a) { return a.shape; });
}

std::vector<KarrayField> ModelArena::karray_fields(const CcpIdent& k) const {
    return read_ccp_as<Karray>(*this, k, [](const Karray& a) { return a.fields; });
}

bool ModelArena::karray_is_clocked(const CcpIdent& k) const {
    return read_ccp_as<Karray>(*this, k, [](const Karray& a) { return a.is_clocked(); });
}

HcpIdent ModelArena::karray_element_hcp(const CcpIdent& k, const std::vector<uint64_t>& coord,
                                        std::string_view field) const {
    return read_ccp_as<Karray>(*this, k, [&](const Karray& a) {
        if (Problem p = a.field_refusal(field)) fail_user(*p);
        return a.element_hcp(coord, *a.field_index(field));
    });
}

void ModelArena::karray_reset_field(const CcpIdent& k, std::string_view field,
                                    const HcpIdent& value) {
    if (Problem p = check_karray_reset(*this, k, field, value)) fail_user(*p);
    auto [signals, f, nf] = read_ccp_as<Karray>(*this, k, [&](const Karray& a) {
        return std::make_tuple(a.element_hcps, *a.field_index(field), a.fields.size());
    });
    for (size_t at = f; at < signals.size(); at += nf) set_reg_reset(signals[at], value);
}

}  // namespace velmora
