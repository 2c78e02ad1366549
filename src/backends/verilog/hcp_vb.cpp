#include "backends/verilog/hcp_vb.h"

#include "common/internal_error.h"
#include "util/file_writer.h"

namespace velmora {

void HcpBaseVb::gen_io_line_vb(int, const ModelArena&, FileWriter&) const {
    panic("gen_io_line_vb not implemented for this HCP type");
}

void HcpBaseVb::gen_init_line_vb(int, const ModelArena&, FileWriter& writer) const {
    writer.append_with([&](std::string& out) {
        append_declaration_head(out);
        out += ';';
    });
}

void HcpBaseVb::gen_procedure_blk_vb(int, const ModelArena&, FileWriter&) const {
    panic("gen_procedure_blk_vb not implemented for this HCP type");
}

}  // namespace velmora
