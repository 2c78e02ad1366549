#pragma once
// The Verilog backend: takes a finished model over and writes one file per module.
#include <string>
#include <string_view>

#include "model/model_arena.h"

namespace velmora {

class BackendVerilog {
public:
    /// Moves the whole model in; `arena` is left holding an empty model.
    explicit BackendVerilog(ModelArena&& arena);

    /// Routes cross-module IO (once per backend), sorts the update pools and writes
    /// "{output_dir}/{name}.v" for every module: the top module under `top_file_name`, the others
    /// under their global names. Progress goes to standard output. The directory must exist.
    void emit(std::string_view output_dir, std::string_view top_file_name);

    const ModelArena& arena() const { return arena_; }
    ModelArena& arena() { return arena_; }

private:
    void phase_route();
    void phase_init();
    void phase_emit(std::string_view output_dir, std::string_view top_file_name);
    void emit_module_file(const ModuleIdent& m, const std::string& path);

    ModelArena arena_;
    // Routing rewrites the model, so a later emit writes the routed model again as it is.
    bool routed_ = false;
};

}  // namespace velmora
