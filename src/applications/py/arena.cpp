// The ModelArena class itself; its methods are bound per subsystem in the other files.
#include <nanobind/nanobind.h>

#include "applications/py/converters.h"
#include "applications/py/owned_object.h"
#include "applications/py/register.h"

namespace nb = nanobind;

namespace velmora::py {

ArenaClass register_arena_class(nb::module_& m) {
    ArenaClass cls(m, "ModelArena");
    cls.def("__init__", [](ArenaObject* self, nb::args args, nb::kwargs kwargs) {
        CallArgs("ModelArena", {}, 0, args, kwargs);
        new (self) ArenaObject();
    });
    return cls;
}

}  // namespace velmora::py
