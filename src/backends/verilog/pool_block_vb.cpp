#include "backends/verilog/pool_block_vb.h"

#include "backends/verilog/ue_vb.h"
#include "model/model_arena.h"
#include "util/file_writer.h"
#include "util/str_cat.h"

namespace velmora {

void gen_pool_block_vb(const ModelArena& arena, FileWriter& writer, const CurrentHcpVb& des,
                       const std::vector<UpdateEventIdent>& pool, std::string_view dest_text) {
    if (pool.empty()) return;
    UeCommon first = arena.get_ue_common(pool.front());
    std::optional<std::string> clk_text;
    if (first.clk_src)
        clk_text = fmt_operand(arena.ident_of(*first.clk_src), std::nullopt, arena, des);
    std::string sensitivity = sensitivity_list(first.clk_mode, clk_text);

    // Clock-free blocks assign with `=`: a non-blocking hop would put every signal derived from a
    // combinational one (the design clock among them) one scheduling step behind its source.
    bool clocked = first.clk_mode == ClockMode::PosEdge || first.clk_mode == ClockMode::NegEdge;
    std::string_view assign = clocked ? " <= " : " = ";
    const std::vector<std::string> templates{cat(dest_text, "{DES_SLICE}", assign, "{SRC};")};
    writer.write(cat("always @(", sensitivity, ") begin\n"));
    for (const UpdateEventIdent& ue : pool) {
        read_ue_vb(arena, ue, [&](const VerilogUpdateEvent& vb) {
            vb.transpile(templates, 4, arena, des, writer);
        });
    }
    writer.write("end\n");
}

}  // namespace velmora
