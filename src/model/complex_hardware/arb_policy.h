#pragma once
// The arbiter's enumerations, shared by the model and the Python surface.
#include <cstdint>
#include <string_view>

namespace velmora {

/// What happens among requesting leaves of equal priority.
enum class ArbSamePriPolicy : uint8_t {
    AckOne = 0,  // only the lowest-index requester of that priority is granted
    AckAll = 1,  // all requesters of that priority are granted together
    NotAck = 2,  // two or more requesters of that priority at once: none is granted
};
inline constexpr uint32_t kArbSamePriPolicyCount = 3;

/// Which side of a locked leaf is a constant 1.
enum class ArbLockedChannel : uint8_t {
    Req = 0,  // always requests; its grant is generated
    Ack = 1,  // always granted (no grant logic); its request is a wire
};
inline constexpr uint32_t kArbLockedChannelCount = 2;

std::string_view member_name(ArbSamePriPolicy p);
std::string_view member_name(ArbLockedChannel c);

}  // namespace velmora
