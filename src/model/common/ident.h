#pragma once
// Identity records: what the model passes around instead of pointers.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/arena.h"
#include "model/common/kinds.h"
#include "model/common/name.h"
#include "model/common/opt_ident.h"

namespace velmora {

inline constexpr size_t MAX_NAME_LEN = 256;

/// On the IdentBase inside each identity: its tail padding holds the record's own small fields
/// (kind bytes, the owner's slot): a component identity takes 32 bytes, a node identity 24.
#define VELMORA_PACKED_BASE [[no_unique_address]]

/// Takes the next process-wide global id (atomic, relaxed; the value before the increment).
uint64_t take_global_id();
/// The value the next take_global_id() will return (for tests).
uint64_t peek_global_id();

/// Fails with the MAX_NAME_LEN message when `name` is longer than the limit.
void check_name_len(std::string_view name);

/// How a fresh identity keeps its relative name: shared with every equal text (the default), or,
/// for a generated name that carries an id no other name has, stored without a lookup.
enum class NameStore : uint8_t { Shared, Unique };

/// Text read from an identity: a formed name sits in the inline buffer, a stored one in the name
/// table. Read the view at once; it lives no longer than this object.
class NameText {
public:
    NameText(const NameText& o) { assign(o); }
    NameText& operator=(const NameText& o) {
        if (this != &o) assign(o);
        return *this;
    }
    std::string_view view() const { return view_; }
    std::string str() const { return std::string(view_); }
    bool operator==(std::string_view text) const { return view_ == text; }

private:
    friend struct IdentBase;
    NameText() = default;
    void assign(const NameText& o) {
        if (o.view_.data() != o.buf_) {
            view_ = o.view_;
            return;
        }
        std::copy(o.view_.begin(), o.view_.end(), buf_);
        view_ = std::string_view(buf_, o.view_.size());
    }
    std::string_view view_;
    char buf_[MAX_NAME_LEN];
};

/// The absolute name of an identity, in 4 bytes. Until a rename it is formed when read as
/// "{prefix}_{relative name}_{global id}" (unique by its id, so storing its text would only cost
/// memory and a table probe per object); a renamed identity stores its own text.
class AbsName {
public:
    AbsName() = default;
    static AbsName formed(uint32_t prefix_code) { return AbsName(kFormed | prefix_code); }
    static AbsName stored(Name text) {
        if ((text.id_ & kFormed) != 0) panic("name id out of the range an absolute name can hold");
        return AbsName(text.id_);
    }

    bool is_formed() const { return (bits_ & kFormed) != 0; }
    uint32_t prefix_code() const { return bits_ & ~kFormed; }
    /// The stored text; empty for a formed name.
    Name stored_text() const { return is_formed() ? Name() : Name(bits_); }
    bool operator==(const AbsName&) const = default;

private:
    static constexpr uint32_t kFormed = 1u << 31;
    explicit AbsName(uint32_t bits) : bits_(bits) {}
    uint32_t bits_ = 0;
};

/// The code under which `prefix` is kept for formed names (registered on first use).
uint32_t name_prefix_code(std::string_view prefix);
/// The prefix kept under `code`.
std::string_view name_prefix_text(uint32_t code);

struct IdentBase {
    uint64_t global_id = 0;
    SlotRef arena_handle;
    AbsName abs_name;
    Name rel_name;
    bool is_user_com = false;

    NameText abs_text() const;
    std::string_view rel_view() const { return rel_name.view(); }
    /// Renaming: no arena owns the new name, so it stays for the life of the process.
    void set_global_name(std::string_view name);
    /// The absolute name keeps the text it had: a formed one is stored first.
    void set_rel_name(std::string_view name);

    /// Global id and absolute name decide; relative name, user flag and handle do not.
    bool operator==(const IdentBase& o) const {
        return global_id == o.global_id && same_abs_name(o);
    }
    bool same_abs_name(const IdentBase& o) const;

    /// Builds names for a fresh identity: takes an id, checks both names; the absolute name reads
    /// "{prefix}_{name}_{id}".
    static IdentBase make(std::string_view kind_text, bool is_user_com, std::string_view name,
                          NameStore store = NameStore::Shared);

    /// Hands the references that make() took on the stored names to `owner`.
    void give_names_to(NameOwner& owner) const {
        owner.adopt(abs_name.stored_text());
        owner.adopt(rel_name);
    }
    /// One more reference on the stored names, for a holder that may outlive their owner.
    void retain_names() const {
        abs_name.stored_text().retain();
        rel_name.retain();
    }
    void release_names() const {
        abs_name.stored_text().release();
        rel_name.release();
    }
};

struct ModuleIdent {
    VELMORA_PACKED_BASE IdentBase ident_base;
    ArenaHandle master_module_handle;
    uint32_t depth_level = 0;

    static ModuleIdent make(bool is_user_com, std::string_view name);
    uint64_t global_id() const { return ident_base.global_id; }
    ArenaHandle handle() const { return ident_base.arena_handle; }
    void set_arena_handle(ArenaHandle h) { ident_base.arena_handle = h; }
    bool operator==(const ModuleIdent&) const = default;
};

/// The module that owns a component, by its slot: enough to compare it and to find its record.
/// Components carry this instead of a whole ModuleIdent to keep their identities small.
struct ModuleRef {
    SlotRef module_slot;

    ModuleRef() = default;
    ModuleRef(const ModuleIdent& m) : module_slot(m.handle()) {}  // NOLINT: names its module
    bool is_unset() const { return module_slot.is_unset(); }
    ArenaHandle handle() const { return module_slot; }
    bool operator==(const ModuleRef&) const = default;
};

struct HcpIdent {
    VELMORA_PACKED_BASE IdentBase ident_base;
    HwComponentType hw_type = HwComponentType::Reg;
    SensitiveType sensitive_type = SensitiveType::Clocked;
    ModuleRef parent_module;

    static HcpIdent make(HwComponentType kind, SensitiveType sensitive, bool is_user_com,
                         std::string_view name, NameStore store = NameStore::Shared);
    uint64_t global_id() const { return ident_base.global_id; }
    ArenaHandle handle() const { return ident_base.arena_handle; }
    NameText abs_name() const { return ident_base.abs_text(); }
    std::string_view rel_name() const { return ident_base.rel_view(); }
    bool is_clocked() const { return sensitive_type == SensitiveType::Clocked; }
    /// The "none" of OptHcpIdent: a kind no component has.
    static HcpIdent absent() {
        HcpIdent h;
        h.hw_type = static_cast<HwComponentType>(0xFF);
        return h;
    }
    bool is_absent() const { return hw_type == static_cast<HwComponentType>(0xFF); }
    bool operator==(const HcpIdent& o) const {
        return hw_type == o.hw_type && ident_base == o.ident_base &&
               parent_module == o.parent_module && sensitive_type == o.sensitive_type;
    }
};

struct FlowBlockIdent {
    VELMORA_PACKED_BASE IdentBase ident_base;
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
    VELMORA_PACKED_BASE IdentBase ident_base;
    CcpType ccp_type = CcpType::Arb;
    ModuleRef parent_module;

    static CcpIdent make(CcpType type, bool is_user_com, std::string_view name);
    uint64_t global_id() const { return ident_base.global_id; }
    ArenaHandle handle() const { return ident_base.arena_handle; }
    bool operator==(const CcpIdent&) const = default;
};

struct NcpIdent {
    VELMORA_PACKED_BASE IdentBase ident_base;
    NodeType node_type = NodeType::Asm;

    static NcpIdent make(NodeType type, bool is_user_com, std::string_view name,
                         NameStore store = NameStore::Shared);
    uint64_t global_id() const { return ident_base.global_id; }
    ArenaHandle handle() const { return ident_base.arena_handle; }
    bool operator==(const NcpIdent&) const = default;
    /// The "none" of OptNcpIdent: a kind no node has.
    static NcpIdent absent() {
        NcpIdent n;
        n.node_type = static_cast<NodeType>(0xFF);
        return n;
    }
    bool is_absent() const { return node_type == static_cast<NodeType>(0xFF); }
};

/// Events are the most numerous objects and their name is never printed, so their identity holds
/// no names: the absolute name is formed on demand, the relative name is empty and the user flag
/// false.
struct UpdateEventIdent {
    uint64_t event_global_id = 0;
    SlotRef arena_handle;
    UeType ue_type = UeType::Untype;

    /// Takes a fresh id.
    static UpdateEventIdent make(UeType type);
    /// "{kind}_{id}".
    std::string abs_name() const;
    std::string_view rel_name() const { return {}; }
    uint64_t global_id() const { return event_global_id; }
    ArenaHandle handle() const { return arena_handle; }
    bool operator==(const UpdateEventIdent&) const = default;
    /// The "none" of OptUeIdent: a kind no event has.
    static UpdateEventIdent absent() {
        UpdateEventIdent u;
        u.ue_type = static_cast<UeType>(0xFF);
        return u;
    }
    bool is_absent() const { return ue_type == static_cast<UeType>(0xFF); }
};

using OptHcpIdent = OptIdent<HcpIdent>;
using OptNcpIdent = OptIdent<NcpIdent>;
using OptUeIdent = OptIdent<UpdateEventIdent>;

struct HcpIdentHash {
    size_t operator()(const HcpIdent& i) const { return std::hash<uint64_t>()(i.global_id()); }
};

}  // namespace velmora
