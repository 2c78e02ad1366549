#include "common/internal_error.h"

namespace velmora {

void panic(const std::string& message) {
    throw InternalError(message);
}

void panic_eq(const std::string& message, const std::string& left, const std::string& right) {
    throw InternalError("assertion `left == right` failed: " + message + "\n  left: " + left +
                        "\n right: " + right);
}

}  // namespace velmora
