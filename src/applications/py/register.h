#pragma once
// Registration steps of the extension module, one per binding file, called in module order.
#include <nanobind/nanobind.h>

namespace velmora::py {

class ArenaObject;
using ArenaClass = nanobind::class_<ArenaObject>;

ArenaClass register_arena_class(nanobind::module_& m);   // arena.cpp
void register_ident_classes(nanobind::module_& m);       // idents.cpp
void register_backend_class(nanobind::module_& m);       // backend.cpp
void register_enums(nanobind::module_& m);               // enums.cpp
void register_priority_constants(nanobind::module_& m);  // enums.cpp

void bind_module_signal_methods(ArenaClass& cls);     // signals.cpp
void bind_expression_methods(ArenaClass& cls);        // expressions.cpp
void bind_assign_methods(ArenaClass& cls);            // assign.cpp
void bind_flow_methods(ArenaClass& cls);              // flow.cpp
void bind_generator_methods(ArenaClass& cls);         // generators.cpp
void bind_complex_hardware_methods(ArenaClass& cls);  // complex_hardware.cpp, with the two below
void bind_dyn_counter_methods(ArenaClass& cls);       // dyn_counter.cpp
void bind_karray_methods(ArenaClass& cls);            // karray.cpp
void bind_naming_methods(ArenaClass& cls);            // backend.cpp

/// Gives the module's methods their inspect.signature; runs once every method is bound.
void register_signatures(nanobind::module_& m);  // signatures.cpp

}  // namespace velmora::py
