#pragma once
// The Python warning given when an assignment source is resized to fit its destination.
#include "model/model_arena.h"

namespace velmora::py {

/// Tells the user through `warnings.warn` that the source was zero-extended or truncated to fit
/// `des`; nothing when it was used unchanged.
void warn_resized(const SanitizedSrc& fitted, const HcpIdent& des);

}  // namespace velmora::py
