#include "model/controller/asm_priority.h"

#include "model/common/priorities.h"

namespace velmora {
namespace {
struct PriorityState {
    AsmNodePriorityMode mode = AsmNodePriorityMode::Auto;
    int32_t priority = DEFAULT_UE_PRI_USER;
};
thread_local PriorityState state;
}  // namespace

AsmNodePriorityMode current_asm_pri_mode() {
    return state.mode;
}
int32_t current_asm_priority() {
    return state.priority;
}
void set_asm_pri_to_auto() {
    state = PriorityState{};
}
void set_asm_pri_to_manual(int32_t priority) {
    state.mode = AsmNodePriorityMode::Manual;
    state.priority = priority;
}

}  // namespace velmora
