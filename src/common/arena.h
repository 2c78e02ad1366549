#pragma once
// Typed generational slot storage. Objects never point at each other: they hold identities that
// carry an ArenaHandle, and reach each other through the group of their kind.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

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

template <class T>
struct ArenaNode {
    T value;
    uint32_t generation = 0;
    bool taken = false;  // the object is out of its slot; `value` is a moved-from husk
};

/// Append-only list of slots of one kind. Slots never move while the group grows, so an object
/// being worked on is never moved by an insert elsewhere in the same group.
template <class T>
class ArenaGroup {
public:
    ArenaHandle insert(T object) {
        if (nodes_.size() >= kMaxSlots) panic("arena group is full: 2^32 - 1 objects of one kind");
        ArenaHandle handle{static_cast<uint32_t>(nodes_.size()), 0};
        nodes_.emplace_back(ArenaNode<T>{std::move(object), 0}).value.set_arena_handle(handle);
        return handle;
    }

    const T& get(ArenaHandle h) const { return node_checked(h).value; }
    /// The object in the slot, or null when the handle names no slot of this group (a handle
    /// from another arena); for checking caller input before any access that would fail hard.
    const T* try_get(ArenaHandle h) const {
        if (h.index >= nodes_.size() || nodes_[h.index].generation != h.generation) return nullptr;
        return &present(nodes_[h.index], h).value;
    }
    T& get_mut(ArenaHandle h) { return node_checked(h).value; }
    /// The object in the slot, or the husk it leaves there while taken out. Only for reading the
    /// object's identity, which a move leaves in place (identities are plain values).
    const T& resident(ArenaHandle h) const { return slot_checked(h).value; }

    /// Moves the object out; until it is put back, any access to the slot is an internal error.
    T take(ArenaHandle h) {
        ArenaNode<T>& node = node_checked(h);
        T out = std::move(node.value);
        node.taken = true;
        return out;
    }

    void replace_back(ArenaHandle h, T object) {
        ArenaNode<T>& node = slot_checked(h);
        if (!node.taken)
            panic("replace_back into a slot whose object was not taken: " + h.debug_text());
        node.value = std::move(object);
        node.taken = false;
    }

    size_t size() const { return nodes_.size(); }
    static constexpr size_t kMaxSlots = 0xFFFFFFFFu;

    /// Handle check shared by every access: index first, then generation.
    void check_handle(ArenaHandle h) const { (void)node_checked(h); }

private:
    /// The slot the handle names, whether or not its object is in it.
    const ArenaNode<T>& slot_checked(ArenaHandle h) const {
        if (h.index >= nodes_.size()) panic("ArenaHandle index out of range");
        const ArenaNode<T>& node = nodes_[h.index];
        if (node.generation != h.generation) {
            panic("ArenaHandle generation mismatch: slot generation " +
                  std::to_string(node.generation) + ", handle generation " +
                  std::to_string(h.generation));
        }
        return node;
    }
    ArenaNode<T>& slot_checked(ArenaHandle h) {
        return const_cast<ArenaNode<T>&>(std::as_const(*this).slot_checked(h));
    }
    /// A taken-out object is being changed elsewhere: reading its husk would see stale state.
    static const ArenaNode<T>& present(const ArenaNode<T>& node, ArenaHandle h) {
        if (node.taken)
            panic("ArenaHandle names a slot whose object is taken out: " + h.debug_text());
        return node;
    }
    const ArenaNode<T>& node_checked(ArenaHandle h) const { return present(slot_checked(h), h); }
    ArenaNode<T>& node_checked(ArenaHandle h) {
        return const_cast<ArenaNode<T>&>(std::as_const(*this).node_checked(h));
    }

    StableSequence<ArenaNode<T>> nodes_;
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
