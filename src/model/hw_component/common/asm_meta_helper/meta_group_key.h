#pragma once
// What the three merging pools share: when two assignments belong to one group, which event of a
// meta is merged, and the meta a finished group hands back.
#include <string_view>
#include <vector>

#include "model/hw_component/common/assign_meta.h"
#include "model/hw_component/common/update_event.h"

namespace velmora {

class ModelArena;

/// Same destination identity: global id, names and arena handle.
bool same_destination(const HcpIdent& a, const HcpIdent& b);

/// The meta's current event. A meta without one, or with a pending pre-condition that merging
/// would silently drop, is refused (`pool_name` names the caller in the message).
UpdateEventIdent mergeable_event(const ModelArena& arena, const AssignMeta& meta,
                                 std::string_view pool_name);

/// Common part of the first event, or priority 10 and ClkUnused when there is none.
UeCommon common_of_first(const ModelArena& arena, const std::vector<UpdateEventIdent>& ues);

/// The meta of a finished group: its destination, `ue` as first and current event.
AssignMeta merged_meta(const HcpIdent& des, const UpdateEventIdent& ue);

}  // namespace velmora
