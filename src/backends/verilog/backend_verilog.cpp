#include "backends/verilog/backend_verilog.h"

#include <iostream>

#include "backends/common/dfs_module_iter.h"
#include "backends/common/route_io.h"
#include "backends/verilog/module_vb.h"
#include "backends/verilog/verilog_ident.h"
#include "model/model_store.h"
#include "util/file_writer.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

void progress(std::string_view line) {
    std::cout << line << std::flush;
}

}  // namespace

BackendVerilog::BackendVerilog(ModelArena&& arena) : arena_(std::move(arena)) {
    arena = ModelArena();
}

void BackendVerilog::emit(std::string_view output_dir, std::string_view top_file_name) {
    if (arena_.get_top_module() && !arena_.flow_built()) {
        panic("BackendVerilog::phase_init — build_flow has not run on this model");
    }
    phase_route();
    phase_init();
    phase_emit(output_dir, top_file_name);
}

void BackendVerilog::phase_route() {
    progress("[BackendVerilog] Phase 1: routing cross-module IO dependencies\n");
    if (!routed_) {
        route_and_remap_io_model(arena_);
        route_glob_io_model(arena_);
        routed_ = true;
    }
    progress("[BackendVerilog] Phase 1: done\n");
}

void BackendVerilog::phase_init() {
    progress("[BackendVerilog] Phase 2: initialising HCP update pools\n");
    if (!arena_.get_top_module()) panic("BackendVerilog::phase_init — no top module set on arena");
    init_module_vb(*arena_.get_top_module(), arena_);
    progress("[BackendVerilog] Phase 2: done\n");
}

void BackendVerilog::phase_emit(std::string_view output_dir, std::string_view top_file_name) {
    progress(cat("[BackendVerilog] Phase 3: emitting Verilog to '", output_dir, "'\n"));
    if (!arena_.get_top_module()) panic("BackendVerilog::phase_emit — no top module set on arena");
    const ModuleIdent top = *arena_.get_top_module();
    DfsModuleIter it(arena_, top);
    while (std::optional<ModuleIdent> m = it.next_module()) {
        std::string file =
            *m == top ? std::string(top_file_name) : verilog_ident_text(m->ident_base.abs_view());
        std::string path = cat(output_dir, "/", file, ".v");
        progress(cat("[BackendVerilog] Phase 3:   writing ", path, "\n"));
        emit_module_file(*m, path);
    }
    progress("[BackendVerilog] Phase 3: done\n");
}

void BackendVerilog::emit_module_file(const ModuleIdent& m, const std::string& path) {
    std::string error;
    std::optional<FileWriter> writer = FileWriter::open(path, error);
    if (!writer) panic(cat("BackendVerilog::phase_emit — cannot open ", path, ": ", error));
    const ModelArena& model = arena_;
    gen_module_blk_vb(model.get_module(m), model, *writer);
    if (std::optional<std::string> failure = writer->close()) {
        panic(cat("BackendVerilog::phase_emit — cannot write ", path, ": ", *failure));
    }
}

}  // namespace velmora
