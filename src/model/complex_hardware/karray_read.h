#pragma once
// The read side of a Karray, shared by field reads and array-to-array copies.
#include <string>
#include <vector>

#include "model/complex_hardware/karray_types.h"

namespace velmora {

class ModelArena;

/// Builds the read of the selected elements (a selection that passed check_karray_read) and
/// returns the signal of each entry named in `wanted`, in order: the folded field of that name,
/// or the extra a select fn put in its place. When a dimension is reduced every field is carried
/// along, since a select fn sees whole elements; a mux is only made once something uses it.
std::vector<HcpIdent> read_karray(ModelArena& arena, const CcpIdent& karray,
                                  const std::vector<Kidx>& sel, const KarrayReduceFns& fns,
                                  const std::vector<std::string>& wanted);

}  // namespace velmora
