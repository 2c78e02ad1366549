#include "model/complex_hardware/arb_checks.h"

#include "model/model_store.h"
#include "model/typed_access.h"
#include "util/str_cat.h"

namespace velmora {

Problem check_arb_setting_free(const ModelArena& arena, const CcpIdent& arb, ArbSetting setting) {
    return read_ccp_as<Arb>(arena, arb, [&](const Arb& a) -> Problem {
        switch (setting) {
            case ArbSetting::UserHold:
                return a.hold_refusal();
            case ArbSetting::UserReset:
                return a.reset_refusal();
            case ArbSetting::MasterAck:
                return a.master_ack_refusal();
            case ArbSetting::LockedMasterAck:
                return a.lock_master_ack_refusal();
        }
        return std::nullopt;
    });
}

Problem check_arb_pipeline_free(const ModelArena& arena, const CcpIdent& arb) {
    return read_ccp_as<Arb>(arena, arb, [](const Arb& a) { return a.pipeline_refusal(); });
}

Problem check_arb_leaf_index(const ModelArena& arena, const CcpIdent& arb, uint64_t index) {
    return read_ccp_as<Arb>(arena, arb, [&](const Arb& a) { return a.leaf_index_refusal(index); });
}

std::string arb_setting_role(const CcpIdent& arb, ArbSetting setting) {
    static constexpr std::string_view roles[] = {"user hold", "user reset", "master ack",
                                                 "master ack"};
    return cat("the ", roles[static_cast<int>(setting)], " of ", arb.ident_base.abs_text());
}

}  // namespace velmora
