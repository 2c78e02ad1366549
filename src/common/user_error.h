#pragma once
// Errors in the caller's input found by the core; the binding raises them as ValueError.
#include <stdexcept>
#include <string>

namespace velmora {

class UserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A second user-facing class raised as TypeError (width inference of operands).
class UserTypeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] inline void fail_user(const std::string& message) {
    throw UserError(message);
}

}  // namespace velmora
