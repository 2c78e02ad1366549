#pragma once
// cselif / cselse: a branch continuing a cif or sif chain.
#include "model/flow_block/single_body_block.h"

namespace velmora {

class FlowBlockCondElif : public BranchBlock {
public:
    /// `cond` absent makes the else.
    static FlowBlockCondElif make(std::string_view name, OptHcpIdent cond);
    std::string_view noun() const override { return cond ? "cselif" : "cselse"; }

protected:
    const BodyTexts& texts() const override;
};

}  // namespace velmora
