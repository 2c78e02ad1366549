#pragma once
// Internal errors: a broken invariant of the model. They end the current call and reach Python as
// PanicException. Errors in the caller's input are reported separately (see user_error.h).
#include <stdexcept>
#include <string>

namespace velmora {

class InternalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Throws the one internal-error type with the given message.
[[noreturn]] void panic(const std::string& message);

/// A failed equality assertion: the message followed by both compared values.
[[noreturn]] void panic_eq(const std::string& message, const std::string& left,
                           const std::string& right);

/// "assertion failed: {condition}" when `ok` is false.
inline void check_assert(bool ok, const char* condition_text) {
    if (!ok) panic(std::string("assertion failed: ") + condition_text);
}

}  // namespace velmora
