#pragma once
// The always block of a destination's update pool.
#include <string_view>
#include <vector>

#include "backends/verilog/util_vb.h"
#include "model/common/ident.h"

namespace velmora {

class FileWriter;
class ModelArena;

/// Writes the pool as one always block whose clocking is that of its first event; each event
/// writes its statements from the template "{dest_text}{DES_SLICE} <= {SRC};", or with `=` in
/// place of `<=` when the block is clock-free. An empty pool writes nothing.
void gen_pool_block_vb(const ModelArena& arena, FileWriter& writer, const CurrentHcpVb& des,
                       const std::vector<UpdateEventIdent>& pool, std::string_view dest_text);

}  // namespace velmora
