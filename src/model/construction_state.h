#pragma once
// Where the description of a design stands: which modules are being initialised and in which
// stage, the components waiting for their module during a flow build, the open flow blocks, the
// IO names in use, and whether the control has been built. Kept apart from the model itself.
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "model/common/hcp_ref.h"
#include "model/common/ident.h"

namespace velmora {

struct FlowStackEntry {
    FlowBlockIdent block;
    bool lazy_closed = false;
};

/// A component made during a flow build, waiting for its module's lists.
struct PendingHcp {
    HcpRef component;
    bool is_user = false;
};

struct ConstructionState {
    std::vector<std::pair<ModuleIdent, ModuleInitStage>> module_trace_stack;
    std::vector<PendingHcp> pending_hcps;
    std::vector<FlowStackEntry> flow_block_stack;
    // IO names in use, so that a duplicate is found without walking the design.
    std::unordered_map<std::string, HcpIdent> io_name_owners;
    // Blocks opened once: a closed block is not opened again.
    std::unordered_set<uint64_t> opened_blocks;
    bool flow_built = false;
    // Why a build_flow stopped part way, when it did: the model is then half built.
    std::optional<std::string> failed_build;
};

}  // namespace velmora
