#include "backends/verilog/const_vb.h"

#include "backends/verilog/val_vb.h"
#include "util/file_writer.h"
#include "util/str_cat.h"

namespace velmora {

void ValVb::gen_init_line_vb(int, const ModelArena&, FileWriter& writer) const {
    writer.write(
        cat(gen_type_vb(), " ", gen_var_name_vb(), " = ", vary_val_to_verilog(val_.value), ";"));
}

}  // namespace velmora
