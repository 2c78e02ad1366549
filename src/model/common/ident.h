#pragma once
// Identity records: what the model passes around instead of pointers.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/arena.h"
#include "model/common/kinds.h"
#include "model/common/name.h"

namespace velmora {

inline constexpr size_t MAX_NAME_LEN = 256;

/// Takes the next process-wide global id (atomic, relaxed; the value before the increment).
uint64_t take_global_id();
/// The value the next take_global_id() will return (for tests).
uint64_t peek_global_id();

/// Fails with the MAX_NAME_LEN message when `name` is longer than the limit.
void check_name_len(std::string_view name);

struct IdentBase {
    uint64_t global_id = 0;
    ArenaHandle arena_handle;
    Name abs_name;
    Name rel_name;
    bool is_user_com = false;

    std::string_view abs_view() const { return abs_name.view(); }
    std::string_view rel_view() const { return rel_name.view(); }
    /// Renaming: no arena owns the new name, so it stays for the life of the process.
    void set_global_name(std::string_view name);
    void set_rel_name(std::string_view name);

    /// Global id and absolute name decide; relative name, user flag and handle do not.
    bool operator==(const IdentBase& o) const {
        return global_id == o.global_id && abs_name.same_text(o.abs_name);
    }

    /// Builds names for a fresh identity: takes an id, checks both names, formats the absolute name
    /// as "{prefix}_{name}_{id}".
    static IdentBase make(std::string_view kind_text, bool is_user_com, std::string_view name);

    /// Hands the references that make() took on both names to `owner`.
    void give_names_to(NameOwner& owner) const {
        owner.adopt(abs_name);
        owner.adopt(rel_name);
    }
    /// One more reference on both names, for a holder that may outlive their owner.
    void retain_names() const {
        abs_name.retain();
        rel_name.retain();
    }
    void release_names() const {
        abs_name.release();
        rel_name.release();
    }
};

struct ModuleIdent {
    IdentBase ident_base;
    ArenaHandle master_module_handle;
    uint32_t depth_level = 0;

    static ModuleIdent make(bool is_user_com, std::string_view name);
    uint64_t global_id() const { return ident_base.global_id; }
    ArenaHandle handle() const { return ident_base.arena_handle; }
    void set_arena_handle(ArenaHandle h) { ident_base.arena_handle = h; }
    bool operator==(const ModuleIdent&) const = default;
};

/// The module that owns a component: its global id and slot, enough to compare it and to find its
/// record. Components carry this instead of a whole ModuleIdent to keep their identities small.
struct ModuleRef {
    uint64_t module_global_id = 0;
    ArenaHandle module_handle;

    ModuleRef() = default;
    ModuleRef(const ModuleIdent& m)  // NOLINT: a module identity names its module
        : module_global_id(m.global_id()), module_handle(m.handle()) {}
    uint64_t global_id() const { return module_global_id; }
    ArenaHandle handle() const { return module_handle; }
    bool operator==(const ModuleRef&) const = default;
};

struct HcpIdent {
    IdentBase ident_base;
    ModuleRef parent_module;
    HwComponentType hw_type = HwComponentType::Reg;
    SensitiveType sensitive_type = SensitiveType::Clocked;

    static HcpIdent make(HwComponentType kind, SensitiveType sensitive, bool is_user_com,
                         std::string_view name);
    uint64_t global_id() const { return ident_base.global_id; }
    ArenaHandle handle() const { return ident_base.arena_handle; }
    std::string_view abs_name() const { return ident_base.abs_view(); }
    std::string_view rel_name() const { return ident_base.rel_view(); }
    bool is_clocked() const { return sensitive_type == SensitiveType::Clocked; }
    bool operator==(const HcpIdent& o) const {
        return hw_type == o.hw_type && ident_base == o.ident_base &&
               parent_module == o.parent_module && sensitive_type == o.sensitive_type;
    }
};

struct FlowBlockIdent {
    IdentBase ident_base;
    FlowBlockType block_type = FlowBlockType::Sequential;
    FlowBlockJoinPolicy join_policy = FlowBlockJoinPolicy::SubFlow;
    bool chain_master = false;

    static FlowBlockIdent make(FlowBlockType type, FlowBlockJoinPolicy policy,
                               std::string_view name, bool chain_master);
    uint64_t global_id() const { return ident_base.global_id; }
    ArenaHandle handle() const { return ident_base.arena_handle; }
    bool operator==(const FlowBlockIdent&) const = default;
};

struct CcpIdent {
    ModuleRef parent_module;
    IdentBase ident_base;
    CcpType ccp_type = CcpType::Arb;

    static CcpIdent make(CcpType type, bool is_user_com, std::string_view name);
    uint64_t global_id() const { return ident_base.global_id; }
    ArenaHandle handle() const { return ident_base.arena_handle; }
    bool operator==(const CcpIdent&) const = default;
};

struct NcpIdent {
    IdentBase ident_base;
    NodeType node_type = NodeType::Asm;

    static NcpIdent make(NodeType type, bool is_user_com, std::string_view name);
    uint64_t global_id() const { return ident_base.global_id; }
    ArenaHandle handle() const { return ident_base.arena_handle; }
    bool operator==(const NcpIdent&) const = default;
};

struct UpdateEventIdent {
    IdentBase ident_base;
    UeType ue_type = UeType::Untype;

    /// Takes a fresh id; absolute name "{kind}_{id}", no relative name, user flag false.
    static UpdateEventIdent make(UeType type);
    /// "{kind}_{id}". Events are the most numerous objects and their name is never printed, so
    /// it is formed on demand instead of being stored.
    std::string abs_name() const;
    uint64_t global_id() const { return ident_base.global_id; }
    ArenaHandle handle() const { return ident_base.arena_handle; }
    bool operator==(const UpdateEventIdent&) const = default;
};

struct HcpIdentHash {
    size_t operator()(const HcpIdent& i) const { return std::hash<uint64_t>()(i.global_id()); }
};

}  // namespace velmora
