#pragma once
// What a component reads, and rewriting it, including the clock sources of its events.
#include "model/common/ident.h"
#include "model/hw_component/common/update_event.h"

namespace velmora {

class ModelArena;

/// Adds every signal the component reads: its own dependencies and the clock source of every
/// event of its pool, wrapped events included.
void gather_hcp_deps(const ModelArena& arena, const HcpIdent& component, HcpIdentSet& out);

/// Rewrites what the component reads through `map`, clock sources included.
void remap_hcp_deps(ModelArena& arena, const HcpIdent& component, const HcpIdentMap& map);

}  // namespace velmora
