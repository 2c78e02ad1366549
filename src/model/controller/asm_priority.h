#pragma once
// The per-thread assignment priority mode: every user assignment reads the current priority.
#include <cstdint>

namespace velmora {

enum class AsmNodePriorityMode : uint8_t { Auto = 0, Manual = 1 };

AsmNodePriorityMode current_asm_pri_mode();
int32_t current_asm_priority();
/// Mode Auto, priority 10.
void set_asm_pri_to_auto();
void set_asm_pri_to_manual(int32_t priority);

}  // namespace velmora
