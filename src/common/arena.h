#pragma once
// Typed generational slot storage. Objects never point at each other: they hold identities that
// carry an ArenaHandle, and reach each other through the group of their kind.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/internal_error.h"
#include "common/stable_sequence.h"

namespace velmora {

/// A slot of one kind's group. 32 bits of index are plenty for one kind of one design and keep
/// the handle, carried by every identity, at 8 bytes.
struct ArenaHandle {
    uint32_t index = 0;
    uint32_t generation = 0xFFFFFFFFu;

    static constexpr ArenaHandle unset() { return ArenaHandle{}; }
    bool is_unset() const { return generation == 0xFFFFFFFFu && index == 0; }
    bool operator==(const ArenaHandle&) const = default;
    /// Diagnostic form used inside internal-error messages.
    std::string debug_text() const {
        return "ArenaHandle { index: " + std::to_string(index) +
               ", generation: " + std::to_string(generation) + " }";
    }
};

/// An ArenaHandle as identity records keep it, in 4 bytes: every issued handle has generation 0,
/// so only the index is stored, and all ones stands for the unset handle.
class SlotRef {
public:
    SlotRef() = default;
    SlotRef(ArenaHandle h) : index_(encode(h)) {}  // NOLINT: stands for the handle
    operator ArenaHandle() const {                 // NOLINT: stands for the handle
        return index_ == kUnset ? ArenaHandle::unset() : ArenaHandle{index_, 0};
    }
    bool is_unset() const { return index_ == kUnset; }
    bool operator==(const SlotRef&) const = default;

private:
    static constexpr uint32_t kUnset = 0xFFFFFFFFu;  // above every index a group issues
    static uint32_t encode(ArenaHandle h) {
        if (h.is_unset()) return kUnset;
        if (h.generation != 0 || h.index == kUnset)
            panic("an identity can only hold a handle of generation 0: " + h.debug_text());
        return h.index;
    }
    uint32_t index_ = kUnset;
};

/// Append-only list of slots of one kind. Slots never move while the group grows, so an object
/// being worked on is never moved by an insert elsewhere in the same group. A slot holds the
/// object alone: every handle a group issues has generation 0, and whether an object is taken out
/// is kept in a bitmap beside the slots (a flag in each slot would cost 8 bytes with padding).
template <class T>
class ArenaGroup {
public:
    ArenaHandle insert(T object) {
        if (slots_.size() >= kMaxSlots) panic("arena group is full: 2^32 - 1 objects of one kind");
        ArenaHandle handle{static_cast<uint32_t>(slots_.size()), 0};
        if (slots_.size() % 64 == 0) taken_.push_back(0);
        slots_.emplace_back(std::move(object)).set_arena_handle(handle);
        return handle;
    }

    const T& get(ArenaHandle h) const { return node_checked(h); }
    /// The object in the slot, or null when the handle names no slot of this group (a handle
    /// from another arena); for checking caller input before any access that would fail hard.
    const T* try_get(ArenaHandle h) const {
        if (h.index >= slots_.size() || h.generation != kGeneration) return nullptr;
        return &present(h);
    }
    T& get_mut(ArenaHandle h) { return node_checked(h); }
    /// The object in the slot, or the husk it leaves there while taken out. Only for reading the
    /// object's identity, which a move leaves in place (identities are plain values).
    const T& resident(ArenaHandle h) const { return slot_checked(h); }

    /// Moves the object out; until it is put back, any access to the slot is an internal error.
    T take(ArenaHandle h) {
        T out = std::move(node_checked(h));
        set_taken(h.index, true);
        return out;
    }

    void replace_back(ArenaHandle h, T object) {
        T& slot = slot_checked(h);
        if (!is_taken(h.index))
            panic("replace_back into a slot whose object was not taken: " + h.debug_text());
        slot = std::move(object);
        set_taken(h.index, false);
    }

    size_t size() const { return slots_.size(); }
    static constexpr size_t kMaxSlots = 0xFFFFFFFFu;

    /// Handle check shared by every access: index first, then generation.
    void check_handle(ArenaHandle h) const { (void)node_checked(h); }

private:
    static constexpr uint32_t kGeneration = 0;  // of every slot: slots are never reused

    bool is_taken(uint32_t index) const { return (taken_[index / 64] >> (index % 64)) & 1u; }
    void set_taken(uint32_t index, bool taken) {
        uint64_t bit = uint64_t{1} << (index % 64);
        taken_[index / 64] = taken ? (taken_[index / 64] | bit) : (taken_[index / 64] & ~bit);
    }

    /// The slot the handle names, whether or not its object is in it.
    const T& slot_checked(ArenaHandle h) const {
        if (h.index >= slots_.size()) panic("ArenaHandle index out of range");
        if (h.generation != kGeneration) {
            panic("ArenaHandle generation mismatch: slot generation " +
                  std::to_string(kGeneration) + ", handle generation " +
                  std::to_string(h.generation));
        }
        return slots_[h.index];
    }
    T& slot_checked(ArenaHandle h) { return const_cast<T&>(std::as_const(*this).slot_checked(h)); }
    /// A taken-out object is being changed elsewhere: reading its husk would see stale state.
    const T& present(ArenaHandle h) const {
        if (is_taken(h.index))
            panic("ArenaHandle names a slot whose object is taken out: " + h.debug_text());
        return slots_[h.index];
    }
    const T& node_checked(ArenaHandle h) const {
        (void)slot_checked(h);
        return present(h);
    }
    T& node_checked(ArenaHandle h) { return const_cast<T&>(std::as_const(*this).node_checked(h)); }

    StableSequence<T> slots_;
    std::vector<uint64_t> taken_;  // bit i: the object of slot i is taken out
};

/// Scoped take: the object is put back into its slot on every path, exceptions included.
template <class T>
class TakeGuard {
public:
    TakeGuard(ArenaGroup<T>& group, ArenaHandle handle)
        : group_(group), handle_(handle), object_(group.take(handle)) {}
    TakeGuard(const TakeGuard&) = delete;
    TakeGuard& operator=(const TakeGuard&) = delete;
    ~TakeGuard() { group_.replace_back(handle_, std::move(object_)); }

    T& operator*() { return object_; }
    T* operator->() { return &object_; }

private:
    ArenaGroup<T>& group_;
    ArenaHandle handle_;
    T object_;
};

}  // namespace velmora
