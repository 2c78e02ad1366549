#include "backends/verilog/hcp_vb_dispatch.h"

namespace velmora {

std::string hcp_verilog_name(ModelArena& arena, const HcpIdent& id) {
    return take_hcp_vb(arena, id, [](const HcpBaseVb& vb) { return vb.gen_var_name_vb(); });
}

}  // namespace velmora
