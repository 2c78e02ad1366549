// The ModelArena class itself; its methods are bound per subsystem in the other files.
#include <nanobind/nanobind.h>

#include "applications/py/converters.h"
#include "applications/py/owned_object.h"
#include "applications/py/register.h"

namespace nb = nanobind;

namespace velmora::py {

ArenaClass register_arena_class(nb::module_& m) {
    ArenaClass cls(m, "ModelArena");
    cls.def(
        "__init__", [](ArenaObject* self) { new (self) ArenaObject(); },
        nb::sig("def __init__(self) -> None"),
        "An empty model. Modules, components and flow blocks are made in it through its methods; "
        "BackendVerilog takes the model over to write it as Verilog.");
    return cls;
}

}  // namespace velmora::py
