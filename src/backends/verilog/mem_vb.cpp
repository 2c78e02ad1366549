#include "backends/verilog/mem_vb.h"

#include "backends/verilog/pool_block_vb.h"
#include "common/internal_error.h"
#include "util/file_writer.h"
#include "util/str_cat.h"

namespace velmora {

void MemBlkVb::gen_init_line_vb(int, const ModelArena&, FileWriter& writer) const {
    if (blk_.index_width < 1 || blk_.index_width > 63) {
        panic(cat("MemBlk '", blk_.get_global_name(), "': index_width ", blk_.index_width,
                  " has no Verilog address range"));
    }
    uint64_t depth_max = (uint64_t{1} << blk_.index_width) - 1;
    writer.write(cat(gen_type_vb(), " ", gen_var_name_vb(), " [0:", depth_max, "];"));
}

void MemEleVb::gen_procedure_blk_vb(int, const ModelArena& arena, FileWriter& writer) const {
    CurrentHcpVb des = current();
    auto [memory, word_width] = operand_name_width_vb(arena, ele_.master_mem_blk_i, des);
    std::string word =
        cat(memory, "[", fmt_operand(ele_.index_ident, std::nullopt, arena, des), "]");
    // An element narrower than the word reads and writes its own bits only. Statements slice
    // any destination wider than one bit already; a one-bit element needs its bit named here.
    bool part = des.width < word_width;
    if (ele_.is_read) {
        writer.write(cat("assign ", des.name, " = ", word,
                         part ? cat("[", des.width - 1, ":0]") : std::string(), ";\n"));
        return;
    }
    gen_pool_block_vb(arena, writer, des, ele_.get_update_pool(),
                      part && des.width == 1 ? cat(word, "[0:0]") : word);
}

}  // namespace velmora
