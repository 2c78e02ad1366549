#pragma once
#include "model/common/ident.h"
#include "model/hw_component/slice.h"

namespace velmora {

/// A signal used over a range of its bits: the given slice, or the whole signal when absent.
struct HcpTerm {
    HcpIdent sig;
    OptSlice slice;
};

}  // namespace velmora
