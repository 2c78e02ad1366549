#pragma once
// The Verilog backend: takes a finished model over and writes one file per module.
#include <string>
#include <string_view>

#include "model/model_arena.h"
#include "model/validate.h"

namespace velmora {

class OutputFileSet;

/// emit's output folder: not empty, no NUL character.
Problem check_output_dir(std::string_view output_dir);
/// emit's top file name: not empty, no NUL character.
Problem check_top_file_name(std::string_view top_file_name);
/// The file the top module is written to: `top_file_name` with ".v", unless it ends in ".v".
std::string top_file_of(std::string_view top_file_name);
/// What emit needs of the model: a top module, a built control, and a top file name that is not
/// the file name of another module.
Problem check_emit_ready(const ModelArena& arena, std::string_view top_file_name);

class BackendVerilog {
public:
    /// Moves the whole model in; `arena` is left holding an empty model.
    explicit BackendVerilog(ModelArena&& arena);

    /// Routes cross-module IO (once per backend), sorts the update pools and writes
    /// "{output_dir}/{name}.v" for every module: the top module under `top_file_name`, the others
    /// under their global names (a top file name that ends in ".v" is used as it is). Progress goes
    /// to standard output. The directory must exist. The files replace earlier ones only once all
    /// are written: a failure leaves the folder as it was (a file the system refuses is a
    /// FileSystemError).
    void emit(std::string_view output_dir, std::string_view top_file_name);

    /// The failure of an emit that stopped part way for another reason than the file system:
    /// the model may then be half routed.
    const std::optional<std::string>& failed_emit() const { return failed_emit_; }

    const ModelArena& arena() const { return arena_; }
    ModelArena& arena() { return arena_; }

private:
    void phase_route();
    void phase_init();
    void phase_emit(std::string_view output_dir, std::string_view top_file_name);
    void emit_module_file(const ModuleIdent& m, const std::string& path, OutputFileSet& files);

    ModelArena arena_;
    std::optional<std::string> failed_emit_;
    // Routing rewrites the model, so a later emit writes the routed model again as it is.
    bool routed_ = false;
};

}  // namespace velmora
