#include "backends/verilog/io_wire_vb.h"

#include "backends/verilog/pool_block_vb.h"
#include "common/internal_error.h"
#include "model/model_arena.h"
#include "util/file_writer.h"
#include "util/str_cat.h"

namespace velmora {

void IoWireVb::append_var_name_vb(std::string& out) const {
    if (wire_.port_name) {
        append_verilog_ident(out, *wire_.port_name);
    } else {
        HcpBaseVb::append_var_name_vb(out);
    }
}

void IoWireVb::gen_io_line_vb(int, const ModelArena&, FileWriter& writer) const {
    writer.write(cat(wire_.is_input ? "input" : "output", " ", wire_.is_input ? "wire" : "reg ",
                     " ", width_text_vb(wire_.bit_width), gen_var_name_vb()));
}

void IoWireVb::gen_procedure_blk_vb(int, const ModelArena& arena, FileWriter& writer) const {
    if (wire_.is_input) return;
    CurrentHcpVb des = current();
    gen_pool_block_vb(arena, writer, des, wire_.get_update_pool(), des.name);
}

void IoWireVb::gen_parent_net_line_vb(FileWriter& writer) const {
    writer.write(cat("wire ", width_text_vb(wire_.bit_width), gen_var_name_vb(), ";"));
}

std::string IoWireVb::gen_agent_input_vb(const ModelArena& arena) const {
    if (!wire_.is_input) panic("gen_agent_input_vb called on output IoWire");
    if (!wire_.agent_src_signal_i) panic("IoWire: agent_src_signal_i is None");
    const HcpIdent& agent = *wire_.agent_src_signal_i;
    CurrentHcpVb cur = current();
    auto [name, width] = operand_name_width_vb(arena, agent, cur);
    return name + slice_text_vb(width, Slice{0, width});
}

}  // namespace velmora
