#pragma once
// An identity or none, in the identity's own size. std::optional would add a flag and padding to
// every optional link between objects (eight bytes each, and control records hold many); here
// "none" is an identity whose kind byte holds a value no object has.
#include <optional>
#include <type_traits>
#include <utility>

namespace velmora {

/// `Id` provides `static Id absent()` and `bool is_absent() const`.
template <class Id>
class OptIdent {
public:
    OptIdent() : value_(Id::absent()) {}
    OptIdent(std::nullopt_t) : OptIdent() {}             // NOLINT: as std::optional
    OptIdent(const Id& id) : value_(id) {}               // NOLINT: as std::optional
    OptIdent(const std::optional<Id>& o) : OptIdent() {  // NOLINT: from the bindings' form
        if (o) value_ = *o;
    }
    /// From what an `Id` is made from (an identity to a link).
    template <class Other>
    requires(!std::is_same_v<Other, Id> && std::is_constructible_v<Id, const Other&>)
        OptIdent(const Other& o)
        : value_(Id(o)) {}  // NOLINT: as std::optional
    /// From an optional of what an `Id` is made from (an optional identity to an optional link).
    template <class Other>
    requires(!std::is_same_v<Other, Id> && std::is_constructible_v<Id, const Other&>)
        OptIdent(const OptIdent<Other>& o)
        : OptIdent() {  // NOLINT: as std::optional
        if (o) value_ = Id(*o);
    }

    bool has_value() const { return !value_.is_absent(); }
    explicit operator bool() const { return has_value(); }
    const Id& operator*() const { return value_; }
    Id& operator*() { return value_; }
    const Id* operator->() const { return &value_; }
    Id* operator->() { return &value_; }
    const Id& value() const {
        if (!has_value()) throw std::bad_optional_access();
        return value_;
    }
    void reset() { value_ = Id::absent(); }
    std::optional<Id> to_std() const {
        return has_value() ? std::optional<Id>(value_) : std::nullopt;
    }

    friend bool operator==(const OptIdent& a, const OptIdent& b) {
        if (a.has_value() != b.has_value()) return false;
        return !a.has_value() || a.value_ == b.value_;
    }
    friend bool operator==(const OptIdent& a, std::nullopt_t) { return !a.has_value(); }
    friend bool operator==(const OptIdent& a, const Id& b) {
        return a.has_value() && a.value_ == b;
    }
    /// Against what an `Id` is made from (a link against an identity).
    template <class Other>
    requires(!std::is_same_v<Other, Id> && !std::is_same_v<Other, OptIdent> &&
             std::is_constructible_v<Id, const Other&>) friend bool
    operator==(const OptIdent& a, const Other& b) {
        return a.has_value() && a.value_ == Id(b);
    }

private:
    Id value_;
};

}  // namespace velmora
