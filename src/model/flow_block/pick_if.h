#pragma once
// pif / pidef: a branch of a pick. Every pif whose condition holds runs; the pidef runs when none
// does.
#include "model/flow_block/single_body_block.h"

namespace velmora {

class FlowBlockPickIf : public BranchBlock {
public:
    /// `cond` absent makes the default branch.
    static FlowBlockPickIf make(std::string_view name, OptHcpIdent cond);
    std::string_view noun() const override { return cond ? "pif" : "pidef"; }

protected:
    const BodyTexts& texts() const override;
};

}  // namespace velmora
