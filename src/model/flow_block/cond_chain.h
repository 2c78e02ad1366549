#pragma once
// The running condition of an if/elif/else chain: "no earlier branch was taken". Both the
// multi-cycle and the zero-cycle if use it, with their own name prefix.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/common/ident.h"

namespace velmora {

class ModelArena;

class CondChain {
public:
    /// The chain after the if branch of condition `c`: "{prefix}_not_cond_{id}" = ~c.
    static CondChain new_inv(std::string_view prefix, uint64_t id, const HcpIdent& c);

    /// The condition of the k-th con block (from 0) whose own condition is `c_k`: the chain AND
    /// c_k; the chain then also excludes c_k ("{prefix}_not_elif_{id}_{k}"). An else (`c_k`
    /// absent) takes the chain itself, and nothing follows it.
    OptHcpIdent step(ModelArena& arena, size_t k, const OptHcpIdent& c_k);

    /// True while a path is left on which no branch was taken.
    bool open() const { return chain_.has_value() || pending_.has_value(); }
    /// That path's condition.
    OptHcpIdent current(ModelArena& arena);

private:
    /// A negation named but not built yet. Negations are made only once something reads them,
    /// so that a chain whose no-branch path is never used leaves no dangling logic behind.
    struct PendingInv {
        HcpIdent cond;
        std::string name;
    };
    void materialize(ModelArena& arena);

    std::string prefix_;
    uint64_t id_ = 0;
    OptHcpIdent chain_;
    std::optional<PendingInv> pending_;
};

}  // namespace velmora
