#include "model/common/ident.h"

#include "util/str_cat.h"

namespace velmora {
namespace {
std::atomic<uint64_t> GLOBAL_MODEL_ID{0};
}

uint64_t take_global_id() {
    return GLOBAL_MODEL_ID.fetch_add(1, std::memory_order_relaxed);
}
uint64_t peek_global_id() {
    return GLOBAL_MODEL_ID.load(std::memory_order_relaxed);
}

void check_name_len(std::string_view name) {
    if (name.size() > MAX_NAME_LEN) {
        panic(cat("name exceeds MAX_NAME_LEN (", MAX_NAME_LEN, "): \"", name, "\""));
    }
}

void IdentBase::set_global_name(std::string_view name) {
    check_name_len(name);
    abs_name = Name::intern(name);
}

void IdentBase::set_rel_name(std::string_view name) {
    check_name_len(name);
    rel_name = Name::intern(name);
}

IdentBase IdentBase::make(std::string_view kind_text, bool is_user_com, std::string_view name) {
    IdentBase b;
    b.global_id = take_global_id();
    check_name_len(name);
    std::string abs = cat(kind_text, "_", name, "_", b.global_id);
    check_name_len(abs);
    b.rel_name = Name::intern(name);
    b.abs_name = Name::intern(abs);
    b.is_user_com = is_user_com;
    return b;
}

ModuleIdent ModuleIdent::make(bool is_user_com, std::string_view name) {
    ModuleIdent m;
    m.ident_base = IdentBase::make("MODULE", is_user_com, name);
    return m;
}

HcpIdent HcpIdent::make(HwComponentType kind, SensitiveType sensitive, bool is_user_com,
                        std::string_view name) {
    HcpIdent h;
    h.ident_base = IdentBase::make(text_form(kind), is_user_com, name);
    h.hw_type = kind;
    h.sensitive_type = sensitive;
    return h;
}

FlowBlockIdent FlowBlockIdent::make(FlowBlockType type, FlowBlockJoinPolicy policy,
                                    std::string_view name, bool chain_master) {
    FlowBlockIdent f;
    f.ident_base = IdentBase::make(text_form(type), false, name);
    f.block_type = type;
    f.join_policy = policy;
    f.chain_master = chain_master;
    return f;
}

CcpIdent CcpIdent::make(CcpType type, bool is_user_com, std::string_view name) {
    CcpIdent c;
    c.ident_base = IdentBase::make(text_form(type), is_user_com, name);
    c.ccp_type = type;
    return c;
}

NcpIdent NcpIdent::make(NodeType type, bool is_user_com, std::string_view name) {
    NcpIdent n;
    n.ident_base = IdentBase::make(text_form(type), is_user_com, name);
    n.node_type = type;
    return n;
}

UpdateEventIdent UpdateEventIdent::make(UeType type) {
    UpdateEventIdent u;
    u.event_global_id = take_global_id();
    u.ue_type = type;
    return u;
}

std::string UpdateEventIdent::abs_name() const {
    return cat(text_form(ue_type), "_", event_global_id);
}

}  // namespace velmora
