// The extension module: classes, enumerations and constants in their fixed order, then the
// exception class, the methods of ModelArena and their signatures.
#include <nanobind/nanobind.h>

#include "applications/py/errors.h"
#include "applications/py/owned_object.h"
#include "applications/py/register.h"

namespace nb = nanobind;
using namespace velmora::py;

NB_MODULE(_velmora, m) {
    ArenaClass arena = register_arena_class(m);
    register_ident_classes(m);
    register_backend_class(m);
    register_enums(m);
    register_priority_constants(m);
    register_panic_exception(m);

    bind_module_signal_methods(arena);
    bind_expression_methods(arena);
    bind_assign_methods(arena);
    bind_flow_methods(arena);
    bind_complex_hardware_methods(arena);
    bind_generator_methods(arena);
    bind_naming_methods(arena);
    register_signatures(m);
}
