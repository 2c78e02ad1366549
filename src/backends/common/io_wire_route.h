#pragma once
// Creating and finding the IoWire ports that routing threads through the module tree.
#include <optional>
#include <string_view>

#include "model/common/ident.h"

namespace velmora {

class ModelArena;

/// The first IoWire of `module` (system-made list, then user-made) of the given direction whose
/// actual source is `signal`.
OptHcpIdent find_reusable_io_wire(ModelArena& arena, const ModuleIdent& module,
                                  const HcpIdent& signal, bool is_input);

/// Creates an IoWire in `module` (attached to it at once). `actual` is the signal being routed,
/// `agent` the signal one level closer to it. An output port reads its agent: that is the signal
/// visible in the port's own module (the routed signal itself, or the port net of the module one
/// level below).
HcpIdent make_routed_io_wire(ModelArena& arena, const ModuleIdent& module, std::string_view name,
                             bool is_input, int32_t width, OptHcpIdent agent, OptHcpIdent actual);

}  // namespace velmora
