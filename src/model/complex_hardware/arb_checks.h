#pragma once
// Checks of a caller's changes to an arbiter, run before anything changes. Each expects the
// arbiter identity to have passed check_ident and returns the problem as text naming the arbiter.
#include <cstdint>

#include "model/common/ident.h"
#include "model/validate.h"

namespace velmora {

class ModelArena;

/// The one-time settings of an arbiter.
enum class ArbSetting { UserHold, UserReset, MasterAck, LockedMasterAck };

/// The setting is not made yet (a master ack counts as made whether set or locked).
Problem check_arb_setting_free(const ModelArena& arena, const CcpIdent& arb, ArbSetting setting);
/// A pipeline block may be made on the arbiter: it feeds no pipeline yet and its master ack is
/// neither set nor locked (the pipeline drives it).
Problem check_arb_pipeline_free(const ModelArena& arena, const CcpIdent& arb);
/// The arbiter has a leaf of that index.
Problem check_arb_leaf_index(const ModelArena& arena, const CcpIdent& arb, uint64_t index);
/// "the user hold of ARB_a_3": what a signal given for `setting` becomes, for messages.
std::string arb_setting_role(const CcpIdent& arb, ArbSetting setting);

}  // namespace velmora
