#pragma once
// How failures reach Python: internal errors become PanicException, the core's user errors
// ValueError or TypeError; the binding raises its own errors through the helpers below.
#include <nanobind/nanobind.h>

#include <string>

namespace velmora::py {

/// Creates PanicException (derived directly from BaseException) as a module attribute and
/// installs the translator for the core's exception types.
void register_panic_exception(nanobind::module_& m);

/// Raises the given Python exception type with `message`.
[[noreturn]] void raise_py(PyObject* type, const std::string& message);
[[noreturn]] void raise_type_error(const std::string& message);
[[noreturn]] void raise_value_error(const std::string& message);

}  // namespace velmora::py
