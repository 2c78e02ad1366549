#include "applications/py/errors.h"

#include <exception>
#include <string_view>

#include "common/file_system_error.h"
#include "common/internal_error.h"
#include "common/user_error.h"

namespace nb = nanobind;

namespace velmora::py {
namespace {

void translate(const std::exception_ptr& p, void* panic_type) {
    try {
        std::rethrow_exception(p);
    } catch (const nb::python_error&) {
        throw;
    } catch (const nb::builtin_exception&) {
        throw;
    } catch (const std::bad_cast&) {
        throw;
    } catch (const InternalError& e) {
        PyErr_SetString(static_cast<PyObject*>(panic_type), e.what());
    } catch (const UserError& e) {
        PyErr_SetString(PyExc_ValueError, e.what());
    } catch (const UserTypeError& e) {
        PyErr_SetString(PyExc_TypeError, e.what());
    } catch (const FileSystemError& e) {
        // OSError(errno, message, path): errno and filename attributes as Python's own give.
        std::string_view text = e.what();
        PyObject* args = Py_BuildValue(
            "(iNN)", e.error_code(),
            PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace"),
            PyUnicode_DecodeFSDefault(e.path().c_str()));
        if (args != nullptr) {
            PyErr_SetObject(PyExc_OSError, args);
            Py_DECREF(args);
        }
    } catch (const std::exception& e) {
        // Any other failure inside the model is a broken invariant as well.
        PyErr_SetString(static_cast<PyObject*>(panic_type), e.what());
    }
}

}  // namespace

void register_panic_exception(nb::module_& m) {
    nb::object panic =
        nb::steal(PyErr_NewException("_velmora.PanicException", PyExc_BaseException, nullptr));
    if (!panic.is_valid()) throw nb::python_error();
    m.attr("PanicException") = panic;
    // The module keeps the class alive for as long as the translator can be called.
    nb::register_exception_translator(translate, panic.ptr());
}

void raise_py(PyObject* type, const std::string& message) {
    PyErr_SetString(type, message.c_str());
    throw nb::python_error();
}

void raise_type_error(const std::string& message) {
    raise_py(PyExc_TypeError, message);
}
void raise_value_error(const std::string& message) {
    raise_py(PyExc_ValueError, message);
}

}  // namespace velmora::py
