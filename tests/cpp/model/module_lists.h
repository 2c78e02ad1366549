#pragma once
// A module's component list as identities, for comparing it in tests.
#include <vector>

#include "model/model_store.h"

namespace velmora::testing {

inline std::vector<HcpIdent> hcp_idents(const ModelArena& arena, const Module& module,
                                        HwComponentType kind, bool is_user) {
    std::vector<HcpIdent> out;
    for (HcpRef ref : module.hcp_list(kind, is_user)) out.push_back(arena.ident_of(ref));
    return out;
}

}  // namespace velmora::testing
