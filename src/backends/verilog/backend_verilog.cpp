#include "backends/verilog/backend_verilog.h"

#include <iostream>

#include "backends/common/dfs_module_iter.h"
#include "backends/common/route_io.h"
#include "backends/verilog/module_vb.h"
#include "backends/verilog/verilog_ident.h"
#include "common/file_system_error.h"
#include "common/user_error.h"
#include "model/model_store.h"
#include "util/file_writer.h"
#include "util/output_files.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

void progress(std::string_view line) {
    std::cout << line << std::flush;
}

Problem check_path_part(std::string_view text, std::string_view what, std::string_view empty) {
    if (text.empty()) return cat(what, " must not be empty", empty);
    if (size_t at = text.find('\0'); at != std::string_view::npos) {
        return cat(what, " contains a NUL character at byte ", at,
                   ", which no file path can hold; remove it");
    }
    return std::nullopt;
}

}  // namespace

Problem check_output_dir(std::string_view output_dir) {
    return check_path_part(output_dir, "the output directory",
                           " (give \".\" for the current directory)");
}

Problem check_top_file_name(std::string_view top_file_name) {
    return check_path_part(top_file_name, "the top file name",
                           ": the top module is written to \"{output_dir}/{top_file_name}.v\"");
}

std::string top_file_of(std::string_view top_file_name) {
    // "top.v" names the file the caller wants; "top.v.v" would surprise them.
    if (top_file_name.size() > 2 && top_file_name.ends_with(".v"))
        return std::string(top_file_name);
    return cat(top_file_name, ".v");
}

Problem check_emit_ready(const ModelArena& arena, std::string_view top_file_name) {
    if (!arena.get_top_module()) {
        return "BackendVerilog::phase_init — no top module set on arena; call set_top_module and "
               "build_flow before BackendVerilog(arena)";
    }
    if (!arena.flow_built()) {
        return "BackendVerilog::phase_init — build_flow has not run on this model; call "
               "build_flow before BackendVerilog(arena)";
    }
    // Every other module is written under its global name.
    const ModuleIdent top = *arena.get_top_module();
    const std::string top_file = top_file_of(top_file_name);
    std::vector<ModuleIdent> stack{top};
    while (!stack.empty()) {
        ModuleIdent m = stack.back();
        stack.pop_back();
        const Module& module = arena.get_module(m);
        if (!(m == top) && cat(m.ident_base.abs_text(), ".v") == top_file) {
            return cat("BackendVerilog::phase_emit — top file name \"", top_file_name,
                       "\" is also the file name of module ", m.ident_base.abs_text(),
                       ", so one file would overwrite the other; choose another top file name");
        }
        stack.insert(stack.end(), module.sub_modules.begin(), module.sub_modules.end());
    }
    return std::nullopt;
}

BackendVerilog::BackendVerilog(ModelArena&& arena) : arena_(std::move(arena)) {
    arena = ModelArena();
}

void BackendVerilog::emit(std::string_view output_dir, std::string_view top_file_name) {
    if (arena_.get_top_module() && !arena_.flow_built()) {
        panic("BackendVerilog::phase_init — build_flow has not run on this model");
    }
    try {
        phase_route();
        phase_init();
        phase_emit(output_dir, top_file_name);
    } catch (const FileSystemError&) {
        throw;  // the model is routed and sorted in full; a later emit may try again
    } catch (const UserError&) {
        throw;  // refused before routing changed anything
    } catch (const std::exception& e) {
        failed_emit_ = e.what();
        throw;
    }
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
    OutputFileSet files("BackendVerilog::phase_emit");
    DfsModuleIter it(arena_, top);
    while (std::optional<ModuleIdent> m = it.next_module()) {
        std::string file = *m == top
                               ? top_file_of(top_file_name)
                               : cat(verilog_ident_text(m->ident_base.abs_text().view()), ".v");
        std::string path = cat(output_dir, "/", file);
        progress(cat("[BackendVerilog] Phase 3:   writing ", path, "\n"));
        emit_module_file(*m, path, files);
    }
    files.commit();
    progress("[BackendVerilog] Phase 3: done\n");
}

void BackendVerilog::emit_module_file(const ModuleIdent& m, const std::string& path,
                                      OutputFileSet& files) {
    FileWriter& writer = files.start(path);
    const ModelArena& model = arena_;
    gen_module_blk_vb(model.get_module(m), model, writer);
    files.finish();
}

}  // namespace velmora
