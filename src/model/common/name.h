#pragma once
// Interned names: an identity carries 4-byte references instead of inline name buffers, so that
// identity records stay small and cheap to copy. Interned text lives for the whole process.
#include <cstdint>
#include <string_view>

namespace velmora {

class Name {
public:
    Name() = default;
    static Name intern(std::string_view text);

    std::string_view view() const;
    size_t size() const { return view().size(); }
    bool empty() const { return id_ == 0; }
    bool same_text(const Name& other) const { return id_ == other.id_ || view() == other.view(); }

private:
    explicit Name(uint32_t id) : id_(id) {}
    uint32_t id_ = 0;  // 0 is the empty name
};

}  // namespace velmora
