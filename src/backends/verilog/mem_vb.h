#pragma once
// Memory blocks and their element ports.
#include "backends/verilog/hcp_vb.h"
#include "model/hw_component/signals.h"

namespace velmora {

class MemBlkVb : public HcpBaseVb {
public:
    explicit MemBlkVb(const MemBlk& blk) : HcpBaseVb(blk), blk_(blk) {}
    std::string gen_type_vb() const override { return "reg " + width_text_vb(hcp_.bit_width); }
    int amt_precedure_blk_vb() const override { return 0; }
    /// "{type} {name} [0:{2^index_width - 1}];"
    void gen_init_line_vb(int i, const ModelArena& arena, FileWriter& writer) const override;

private:
    const MemBlk& blk_;
};

/// A read element is a wire assigned from the memory; a write element writes the memory from its
/// pool.
class MemEleVb : public HcpBaseVb {
public:
    explicit MemEleVb(const MemEle& ele) : HcpBaseVb(ele), ele_(ele) {}
    std::string gen_type_vb() const override { return "wire " + width_text_vb(hcp_.bit_width); }
    int amt_init_line_vb() const override { return ele_.is_read ? 1 : 0; }
    void gen_procedure_blk_vb(int j, const ModelArena& arena, FileWriter& writer) const override;

private:
    const MemEle& ele_;
};

}  // namespace velmora
