#pragma once
// Helpers of the generator tests: the message of a refused call and readable expression graphs.
#include <string>

#include "../model/model_test_support.h"
#include "common/user_error.h"
#include "model/common/limits.h"

namespace velmora::testing {

/// Runs f and returns the caller-error message ("" when nothing was thrown).
template <class F>
std::string user_message(F&& f) {
    try {
        f();
    } catch (const UserError& e) {
        return e.what();
    }
    return "";
}

inline const Expression& expr(const ModelArena& arena, const HcpIdent& id) {
    return hcp<Expression>(arena, id);
}

/// Number of components of one kind the module holds (internal and user-made).
inline size_t count_of(const ModelArena& arena, const ModuleIdent& m, HwComponentType kind) {
    const Module& mod = arena.get_module(m);
    return mod.hcp_list(kind, false).size() + mod.hcp_list(kind, true).size();
}

}  // namespace velmora::testing
