#include "model/common/name.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>

#include "common/internal_error.h"

namespace velmora {
namespace {

// Entries are stored in fixed-size chunks whose pointers never change once published, so reads
// need no lock; appends take a mutex.
constexpr uint32_t kChunkBits = 16;
constexpr uint32_t kChunkSize = 1u << kChunkBits;
constexpr uint32_t kMaxChunks = 1u << 16;
constexpr size_t kTextBlock = 1u << 20;

struct NameTable {
    std::atomic<std::string_view*> chunks[kMaxChunks] = {};
    std::mutex mutex;
    uint32_t next_id = 1;
    char* text_cursor = nullptr;
    size_t text_left = 0;

    const char* store_text(std::string_view text) {
        if (text.size() > text_left) {
            size_t block = text.size() > kTextBlock ? text.size() : kTextBlock;
            text_cursor = new char[block];
            text_left = block;
        }
        char* out = text_cursor;
        std::memcpy(out, text.data(), text.size());
        text_cursor += text.size();
        text_left -= text.size();
        return out;
    }
};

NameTable& table() {
    static NameTable* t = new NameTable();  // never destroyed: names outlive every arena
    return *t;
}

}  // namespace

Name Name::intern(std::string_view text) {
    if (text.empty()) return Name();
    NameTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    uint32_t id = t.next_id;
    uint32_t chunk = id >> kChunkBits;
    if (chunk >= kMaxChunks) panic("name table is full");
    std::string_view* entries = t.chunks[chunk].load(std::memory_order_relaxed);
    if (entries == nullptr) {
        entries = new std::string_view[kChunkSize];
        t.chunks[chunk].store(entries, std::memory_order_release);
    }
    entries[id & (kChunkSize - 1)] = std::string_view(t.store_text(text), text.size());
    ++t.next_id;
    return Name(id);
}

std::string_view Name::view() const {
    if (id_ == 0) return {};
    std::string_view* entries = table().chunks[id_ >> kChunkBits].load(std::memory_order_acquire);
    return entries[id_ & (kChunkSize - 1)];
}

}  // namespace velmora
