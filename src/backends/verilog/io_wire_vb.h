#pragma once
// Module ports. An input port takes its value from the instance connection in the parent; an
// output port drives, from its pool, the net of the same name that the parent declares.
#include "backends/verilog/hcp_vb.h"
#include "model/hw_component/signals.h"

namespace velmora {

class IoWireVb : public HcpBaseVb {
public:
    explicit IoWireVb(const IoWire& wire) : HcpBaseVb(wire), wire_(wire) {}
    std::string gen_type_vb() const override { return "reg  " + width_text_vb(hcp_.bit_width); }
    /// The port name when the wire is a design port, else the absolute name.
    void append_var_name_vb(std::string& out) const override;
    int amt_io_line_vb() const override { return 1; }
    int amt_init_line_vb() const override { return 0; }
    int amt_precedure_blk_vb() const override { return wire_.is_input ? 0 : 1; }
    /// "{input|output} {wire|reg } {width}{name}"
    void gen_io_line_vb(int i, const ModelArena& arena, FileWriter& writer) const override;
    void gen_procedure_blk_vb(int j, const ModelArena& arena, FileWriter& writer) const override;

    /// "wire {width}{name};": the parent's net driven by this output port.
    void gen_parent_net_line_vb(FileWriter& writer) const;
    /// The parent-side text connected to this input port: the agent source over its full range.
    std::string gen_agent_input_vb(const ModelArena& arena) const;

    const IoWire& io_wire() const { return wire_; }

private:
    const IoWire& wire_;
};

}  // namespace velmora
