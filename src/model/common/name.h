#pragma once
// Interned names: an identity carries 4-byte references instead of inline name buffers, so that
// identity records stay small and cheap to copy. Equal texts share one entry of a process-wide
// table. Copies of a Name hold no reference: references are held by whoever keeps names alive
// (the arena that owns the objects, a Python identity object), and an entry whose last reference
// is released is freed and its number reused.
#include <cstdint>
#include <string_view>
#include <vector>

namespace velmora {

class Name {
public:
    Name() = default;
    /// The entry for `text`, with one new reference that the caller passes on to a NameOwner
    /// (an identity made outside any arena keeps its names for the life of the process).
    static Name intern(std::string_view text);
    /// The same for a text that carries an id no other name has (the names the flow build gives
    /// its states): stored without a place in the index, which spares a lookup that could only
    /// miss. An equal text interned later gets an entry of its own.
    static Name intern_unshared(std::string_view text);

    std::string_view view() const;
    size_t size() const { return view().size(); }
    bool empty() const { return id_ == 0; }
    bool same_text(const Name& other) const { return id_ == other.id_ || view() == other.view(); }

    /// One more reference, for a holder that may outlive the owner of the name.
    void retain() const;
    /// Gives one reference back; the last one frees the entry.
    void release() const;

    /// Live entries of the table (for tests).
    static size_t live_count();

private:
    friend class NameOwner;
    friend class AbsName;
    explicit Name(uint32_t id) : id_(id) {}
    uint32_t id_ = 0;  // 0 is the empty name
};

/// The references an arena holds on the names of its objects, given back when it is destroyed.
class NameOwner {
public:
    NameOwner() = default;
    NameOwner(NameOwner&& other) noexcept : ids_(std::move(other.ids_)) { other.ids_.clear(); }
    NameOwner& operator=(NameOwner&& other) noexcept;
    NameOwner(const NameOwner&) = delete;
    NameOwner& operator=(const NameOwner&) = delete;
    ~NameOwner() { release_all(); }

    /// Takes over the reference that Name::intern gave for `name`.
    void adopt(Name name) {
        if (!name.empty()) ids_.push_back(name.id_);
    }

private:
    void release_all();
    std::vector<uint32_t> ids_;
};

}  // namespace velmora
