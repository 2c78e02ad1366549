#pragma once
// IO routing: rewrites the model so that every signal read across a module boundary, and every
// design input or output, goes through IoWire ports. Both passes change the model in place.
#include "model/common/ident.h"

namespace velmora {

class ModelArena;

/// Routes, for every module, each signal it reads from another module through output ports up
/// to the common ancestor and input ports down to the reader, then remaps the readers. Ports of
/// one signal are shared by the readers of one subtree.
void route_and_remap_io_model(ModelArena& arena);

/// Gives every IO-marked component a chain of ports to the top module; the top port takes the
/// mark's name.
void route_glob_io_model(ModelArena& arena);

/// The routing of one IO-marked component.
void route_glob_io_hw_comp(ModelArena& arena, const HcpIdent& component);

}  // namespace velmora
