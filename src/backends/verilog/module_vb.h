#pragma once
// One Verilog module block per model module, in five fixed phases.
#include <string>

#include "model/common/ident.h"

namespace velmora {

class FileWriter;
class ModelArena;
struct Module;

/// Sorts the update pools of the module and, depth first, of every module below it.
void init_module_vb(const ModuleIdent& top, ModelArena& arena);

/// Sorts the pools of the module's components of the assignable kinds (Reg .. MemBlockIndexer).
void sort_update_event_pool(const Module& module, ModelArena& arena);

/// Writes the module block: header and ports, declarations, sub-module output nets, procedure
/// blocks, instances, end. Reads the model only.
void gen_module_blk_vb(const Module& module, const ModelArena& arena, FileWriter& writer);

/// The module's Verilog name, as printed: its global name (escaped when not a plain identifier).
std::string module_sim_name_vb(const ModuleIdent& module);
/// The same for a module of the arena, read from its slot (the handle is checked).
std::string module_sim_name_vb(const ModelArena& arena, const ModuleIdent& module);

}  // namespace velmora
