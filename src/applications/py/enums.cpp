// Integer enumerations (made with enum.IntEnum at import) and the assignment priority constants.
#include <nanobind/nanobind.h>

#include <cstdint>
#include <string_view>
#include <utility>

#include "applications/py/register.h"
#include "model/common/kinds.h"
#include "model/complex_hardware/arb_policy.h"
#include "model/hw_component/common/update_event.h"
#include "model/hw_component/logic_op.h"

namespace nb = nanobind;

namespace velmora::py {
namespace {

/// Creates `IntEnum(name, mapping)` and stores it as a module attribute of that name.
template <class NameOf>
void add_int_enum(nb::module_& m, const char* name, uint32_t count, NameOf&& member_of) {
    nb::dict mapping;
    for (uint32_t v = 0; v < count; ++v) {
        std::string_view member = member_of(v);
        mapping[nb::str(member.data(), member.size())] = v;
    }
    nb::object int_enum = nb::module_::import_("enum").attr("IntEnum");
    m.attr(name) = int_enum(name, mapping, nb::arg("module") = m.attr("__name__"));
}

}  // namespace

void register_enums(nb::module_& m) {
    add_int_enum(m, "LogicOp", kLogicOpCount,
                 [](uint32_t v) { return member_name(static_cast<LogicOp>(v)); });
    add_int_enum(m, "ArbSamePriPolicy", kArbSamePriPolicyCount,
                 [](uint32_t v) { return member_name(static_cast<ArbSamePriPolicy>(v)); });
    add_int_enum(m, "ArbLockedChannel", kArbLockedChannelCount,
                 [](uint32_t v) { return member_name(static_cast<ArbLockedChannel>(v)); });
    // Python members of HwComponentType use the text forms (REG, SR_ST, ...).
    add_int_enum(m, "HwComponentType", kHwComponentTypeCount,
                 [](uint32_t v) { return text_form(static_cast<HwComponentType>(v)); });
    add_int_enum(m, "FlowBlockType", kFlowBlockTypeCount,
                 [](uint32_t v) { return member_name(static_cast<FlowBlockType>(v)); });
}

void register_priority_constants(nb::module_& m) {
    const std::pair<const char*, int64_t> constants[] = {
        {"DEFAULT_UE_PRI_USER", DEFAULT_UE_PRI_USER},
        {"DEFAULT_UE_PRI_INTERNAL_MAX", DEFAULT_UE_PRI_INTERNAL_MAX},
        {"DEFAULT_UE_PRI_INTERNAL_MIN", DEFAULT_UE_PRI_INTERNAL_MIN},
        {"DEFAULT_UE_PRI_RST", DEFAULT_UE_PRI_RST},
        {"DEFAULT_UE_PRI_MIN", DEFAULT_UE_PRI_MIN},
        {"DEFAULT_UE_PRI_FALLBACK", DEFAULT_UE_PRI_FALLBACK},
        {"DEFAULT_UE_SUB_PRIORITY_USER", static_cast<int64_t>(DEFAULT_UE_SUB_PRIORITY_USER)},
    };
    nb::list names;
    for (const auto& [name, value] : constants) {
        m.attr(name) = value;
        names.append(name);
    }
    m.attr("_ASM_PRIORITY_CONST_NAMES") = names;
}

}  // namespace velmora::py
