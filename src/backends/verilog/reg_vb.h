#pragma once
// Registers, wires and the control registers: a reg declaration and the pool block.
#include "backends/verilog/hcp_vb.h"

namespace velmora {

class PoolRegVb : public HcpBaseVb {
public:
    using HcpBaseVb::HcpBaseVb;
    std::string gen_type_vb() const override { return "reg  " + width_text_vb(hcp_.bit_width); }
    void gen_procedure_blk_vb(int j, const ModelArena& arena, FileWriter& writer) const override;
};

}  // namespace velmora
