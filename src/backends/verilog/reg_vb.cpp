#include "backends/verilog/reg_vb.h"

#include "backends/verilog/pool_block_vb.h"

namespace velmora {

void PoolRegVb::gen_procedure_blk_vb(int, const ModelArena& arena, FileWriter& writer) const {
    CurrentHcpVb des = current();
    gen_pool_block_vb(arena, writer, des, hcp_.get_update_pool(), des.name);
}

}  // namespace velmora
