#include "backends/verilog/const_vb.h"

#include "backends/verilog/val_vb.h"
#include "util/file_writer.h"
#include "util/str_cat.h"

namespace velmora {

void ValVb::gen_init_line_vb(int, const ModelArena&, FileWriter& writer) const {
    writer.append_with([&](std::string& out) {
        append_declaration_head(out);
        out.append(" = ");
        append_vary_val_verilog(out, val_.value);
        out += ';';
    });
}

}  // namespace velmora
