#include "backends/verilog/hcp_vb_dispatch.h"

namespace velmora {

void fail_nest_vb() {
    panic("take_hcp_vb: Nest not yet ported to Verilog backend");
}

std::string hcp_verilog_name(const ModelArena& arena, const HcpIdent& id) {
    return read_hcp_vb(arena, id, [](const HcpBaseVb& vb) { return vb.gen_var_name_vb(); });
}

}  // namespace velmora
