#pragma once
// Typed generational slot storage. Objects never point at each other: they hold identities that
// carry an ArenaHandle, and reach each other through the group of their kind.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>

#include "common/internal_error.h"

namespace velmora {

struct ArenaHandle {
    uint64_t index = 0;
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

template <class T>
struct ArenaNode {
    T value;
    uint32_t generation = 0;
};

/// Append-only list of slots of one kind. A deque keeps references stable while it grows, so an
/// object being worked on is never moved by an insert elsewhere in the same group.
template <class T>
class ArenaGroup {
public:
    ArenaHandle insert(T object) {
        ArenaHandle handle{static_cast<uint64_t>(nodes_.size()), 0};
        nodes_.push_back(ArenaNode<T>{std::move(object), 0});
        nodes_.back().value.set_arena_handle(handle);
        return handle;
    }

    const T& get(ArenaHandle h) const { return node_checked(h).value; }
    /// The object in the slot, or null when the handle names no slot of this group (a handle
    /// from another arena); for checking caller input before any access that would fail hard.
    const T* try_get(ArenaHandle h) const {
        if (h.index >= nodes_.size() || nodes_[h.index].generation != h.generation) return nullptr;
        return &nodes_[h.index].value;
    }
    T& get_mut(ArenaHandle h) { return node_checked(h).value; }

    /// Moves the object out, leaving an empty placeholder of the same kind in the slot.
    T take(ArenaHandle h) {
        ArenaNode<T>& node = node_checked(h);
        T out = std::move(node.value);
        node.value = T{};
        return out;
    }

    void replace_back(ArenaHandle h, T object) { node_checked(h).value = std::move(object); }

    size_t size() const { return nodes_.size(); }

    /// Handle check shared by every access: index first, then generation.
    void check_handle(ArenaHandle h) const { (void)node_checked(h); }

private:
    const ArenaNode<T>& node_checked(ArenaHandle h) const {
        if (h.index >= nodes_.size()) panic("ArenaHandle index out of range");
        const ArenaNode<T>& node = nodes_[h.index];
        if (node.generation != h.generation) {
            panic("ArenaHandle generation mismatch: slot generation " +
                  std::to_string(node.generation) + ", handle generation " +
                  std::to_string(h.generation));
        }
        return node;
    }
    ArenaNode<T>& node_checked(ArenaHandle h) {
        return const_cast<ArenaNode<T>&>(std::as_const(*this).node_checked(h));
    }

    std::deque<ArenaNode<T>> nodes_;
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
