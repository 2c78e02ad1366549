#pragma once
// Constants: a wire declared with its literal value.
#include "backends/verilog/hcp_vb.h"
#include "model/hw_component/signals.h"

namespace velmora {

class ValVb : public HcpBaseVb {
public:
    explicit ValVb(const Val& val) : HcpBaseVb(val), val_(val) {}
    std::string gen_type_vb() const override { return "wire " + width_text_vb(hcp_.bit_width); }
    int amt_precedure_blk_vb() const override { return 0; }
    /// "{type} {name} = {literal};"
    void gen_init_line_vb(int i, const ModelArena& arena, FileWriter& writer) const override;

private:
    const Val& val_;
};

}  // namespace velmora
