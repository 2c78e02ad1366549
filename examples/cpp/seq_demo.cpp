// A small design built through the core's C++ API alone: an 8-bit accumulator that takes the
// values 1, 2 and 3 in three consecutive cycles after reset, written out as Verilog.
//
//     velmora_example [output_dir]      (the directory must exist; default ".")
#include <cstdio>
#include <exception>
#include <optional>

#include "backends/verilog/backend_verilog.h"
#include "common/internal_error.h"
#include "model/model_arena.h"

int main(int argc, char** argv) {
    using namespace velmora;
    const char* out_dir = argc > 1 ? argv[1] : ".";
    try {
        ModelArena arena;
        ModuleIdent top = arena.mk_module("top");

        arena.track_module_at_com_init(top);
        HcpIdent acc = arena.make_reg(true, "acc", 8);
        arena.mark_as_io(acc, false, "acc");
        arena.untrack_module_at_com_init(top);

        arena.track_module_at_flow_init(top);
        FlowBlockIdent steps = arena.make_flow_block_seq("steps");
        arena.initialize_flow_block(steps);
        for (uint64_t value : {1, 2, 3}) {
            HcpIdent constant = arena.make_val(false, "acc_c", 8, value);
            arena.gen_basic_assign(acc, constant, std::nullopt, std::nullopt);  // one cycle each
        }
        if (std::optional<std::string> problem = arena.check_flow_block_prefinalize(steps)) {
            std::fprintf(stderr, "%s\n", problem->c_str());
            return 1;
        }
        arena.finalize_flow_block(steps);
        arena.finalize_flow_procedure();
        arena.untrack_module_at_flow_init(top);

        arena.set_top_module(top);
        arena.build_flow();
        BackendVerilog(std::move(arena)).emit(out_dir, "top");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velmora_example: %s\n", e.what());
        return 1;
    }
    return 0;
}
