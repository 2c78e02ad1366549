#include "model/common/ident.h"

#include <algorithm>
#include <charconv>
#include <mutex>
#include <string>
#include <unordered_map>

#include "common/internal_error.h"
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

namespace {

/// Prefixes of formed names (the kinds' texts): few, registered once, never freed, so a code
/// read back needs no lock.
class PrefixTable {
public:
    uint32_t code_of(std::string_view prefix) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = codes_.find(prefix);
        if (it != codes_.end()) return it->second;
        if (count_ == kMaxPrefixes) panic("name prefix table is full");
        texts_[count_].store(new std::string(prefix), std::memory_order_release);
        codes_.emplace(*texts_[count_].load(std::memory_order_relaxed), count_);
        return count_++;
    }
    std::string_view text_of(uint32_t code) const {
        const std::string* text =
            code < kMaxPrefixes ? texts_[code].load(std::memory_order_acquire) : nullptr;
        if (text == nullptr) panic(cat("no name prefix has code ", code));
        return *text;
    }

private:
    static constexpr uint32_t kMaxPrefixes = 4096;
    std::mutex mutex_;
    std::unordered_map<std::string_view, uint32_t> codes_;
    std::atomic<const std::string*> texts_[kMaxPrefixes] = {};
    uint32_t count_ = 0;
};

PrefixTable& prefixes() {
    static PrefixTable* t = new PrefixTable();  // never destroyed: identities outlive teardown
    return *t;
}

size_t digit_count(uint64_t v) {
    size_t n = 1;
    while (v >= 10) {
        v /= 10;
        ++n;
    }
    return n;
}

}  // namespace

uint32_t name_prefix_code(std::string_view prefix) {
    // A build makes long runs of a few kinds: a per-thread memo of the last codes spares the lock.
    constexpr size_t kMemo = 8;
    thread_local uint32_t memo[kMemo];
    thread_local size_t memo_used = 0;
    thread_local size_t memo_next = 0;
    PrefixTable& table = prefixes();
    for (size_t i = 0; i < memo_used; ++i) {
        if (table.text_of(memo[i]) == prefix) return memo[i];
    }
    uint32_t code = table.code_of(prefix);
    memo[memo_next] = code;
    memo_next = (memo_next + 1) % kMemo;
    if (memo_used < kMemo) ++memo_used;
    return code;
}

std::string_view name_prefix_text(uint32_t code) {
    return prefixes().text_of(code);
}

NameText IdentBase::abs_text() const {
    NameText out;
    if (!abs_name.is_formed()) {
        out.view_ = abs_name.stored_text().view();
        return out;
    }
    std::string_view prefix = name_prefix_text(abs_name.prefix_code());
    std::string_view rel = rel_name.view();
    // make() and set_rel_name() keep a formed name within MAX_NAME_LEN.
    if (prefix.size() + rel.size() + 2 + digit_count(global_id) > sizeof out.buf_) {
        panic(cat("formed name of ", global_id, " exceeds MAX_NAME_LEN"));
    }
    char* p = out.buf_;
    p = std::copy(prefix.begin(), prefix.end(), p);
    *p++ = '_';
    p = std::copy(rel.begin(), rel.end(), p);
    *p++ = '_';
    p = std::to_chars(p, out.buf_ + sizeof out.buf_, global_id).ptr;
    out.view_ = std::string_view(out.buf_, static_cast<size_t>(p - out.buf_));
    return out;
}

bool IdentBase::same_abs_name(const IdentBase& o) const {
    if (abs_name == o.abs_name) {
        if (!abs_name.is_formed()) return true;
        if (global_id == o.global_id && rel_name.same_text(o.rel_name)) return true;
    }
    return abs_text().view() == o.abs_text().view();
}

void IdentBase::set_global_name(std::string_view name) {
    check_name_len(name);
    abs_name = AbsName::stored(Name::intern(name));
}

void IdentBase::set_rel_name(std::string_view name) {
    check_name_len(name);
    if (abs_name.is_formed()) abs_name = AbsName::stored(Name::intern(abs_text().view()));
    rel_name = Name::intern(name);
}

IdentBase IdentBase::make(std::string_view kind_text, bool is_user_com, std::string_view name,
                          NameStore store) {
    IdentBase b;
    b.global_id = take_global_id();
    check_name_len(name);
    if (kind_text.size() + name.size() + 2 + digit_count(b.global_id) > MAX_NAME_LEN) {
        check_name_len(cat(kind_text, "_", name, "_", b.global_id));
    }
    b.rel_name = store == NameStore::Unique ? Name::intern_unshared(name) : Name::intern(name);
    b.abs_name = AbsName::formed(name_prefix_code(kind_text));
    b.is_user_com = is_user_com;
    return b;
}

ModuleIdent ModuleIdent::make(bool is_user_com, std::string_view name) {
    ModuleIdent m;
    m.ident_base = IdentBase::make("MODULE", is_user_com, name);
    return m;
}

HcpIdent HcpIdent::make(HwComponentType kind, SensitiveType sensitive, bool is_user_com,
                        std::string_view name, NameStore store) {
    HcpIdent h;
    h.ident_base = IdentBase::make(text_form(kind), is_user_com, name, store);
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

NcpIdent NcpIdent::make(NodeType type, bool is_user_com, std::string_view name, NameStore store) {
    NcpIdent n;
    n.ident_base = IdentBase::make(text_form(type), is_user_com, name, store);
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
