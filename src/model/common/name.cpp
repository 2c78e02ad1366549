#include "model/common/name.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <string_view>
#include <unordered_map>

#include "common/internal_error.h"

namespace velmora {
namespace {

// Entries are stored in fixed-size chunks whose pointers never change once published, so a
// reader holding a reference needs no lock; interning and releasing take the mutex.
constexpr uint32_t kChunkBits = 16;
constexpr uint32_t kChunkSize = 1u << kChunkBits;
constexpr uint32_t kMaxChunks = 1u << 16;

struct Entry {
    const char* text = nullptr;
    uint32_t size = 0;
    uint32_t refs = 0;
};

struct NameTable {
    std::atomic<Entry*> chunks[kMaxChunks] = {};
    std::mutex mutex;
    uint32_t next_id = 1;
    std::vector<uint32_t> free_ids;
    std::unordered_map<std::string_view, uint32_t> by_text;  // keys view the entries' text

    Entry& entry(uint32_t id) {
        return chunks[id >> kChunkBits].load(std::memory_order_relaxed)[id & (kChunkSize - 1)];
    }

    uint32_t new_id() {
        if (!free_ids.empty()) {
            uint32_t id = free_ids.back();
            free_ids.pop_back();
            return id;
        }
        uint32_t id = next_id;
        uint32_t chunk = id >> kChunkBits;
        if (chunk >= kMaxChunks) panic("name table is full");
        if (chunks[chunk].load(std::memory_order_relaxed) == nullptr) {
            chunks[chunk].store(new Entry[kChunkSize], std::memory_order_release);
        }
        ++next_id;
        return id;
    }

    // Caller holds the mutex. A release without a reference is ignored: it runs in destructors,
    // where there is no way to report it.
    void release(uint32_t id) {
        Entry& e = entry(id);
        if (e.refs == 0 || --e.refs != 0) return;
        by_text.erase(std::string_view(e.text, e.size));
        delete[] e.text;
        e = Entry{};
        free_ids.push_back(id);
    }
};

NameTable& table() {
    static NameTable* t = new NameTable();  // never destroyed: arenas may outlive static teardown
    return *t;
}

}  // namespace

Name Name::intern(std::string_view text) {
    if (text.empty()) return Name();
    NameTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    if (auto it = t.by_text.find(text); it != t.by_text.end()) {
        Entry& e = t.entry(it->second);
        if (e.refs == UINT32_MAX) panic("name table: too many references to one name");
        ++e.refs;
        return Name(it->second);
    }
    uint32_t id = t.new_id();
    char* copy = new char[text.size()];
    std::memcpy(copy, text.data(), text.size());
    t.entry(id) = Entry{copy, static_cast<uint32_t>(text.size()), 1};
    t.by_text.emplace(std::string_view(copy, text.size()), id);
    return Name(id);
}

std::string_view Name::view() const {
    if (id_ == 0) return {};
    Entry* chunk = table().chunks[id_ >> kChunkBits].load(std::memory_order_acquire);
    const Entry& e = chunk[id_ & (kChunkSize - 1)];
    return std::string_view(e.text, e.size);
}

void Name::retain() const {
    if (id_ == 0) return;
    NameTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    Entry& e = t.entry(id_);
    if (e.refs == UINT32_MAX) panic("name table: too many references to one name");
    ++e.refs;
}

void Name::release() const {
    if (id_ == 0) return;
    NameTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.release(id_);
}

size_t Name::live_count() {
    NameTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    return t.by_text.size();
}

NameOwner& NameOwner::operator=(NameOwner&& other) noexcept {
    if (this != &other) {
        release_all();
        ids_ = std::move(other.ids_);
        other.ids_.clear();
    }
    return *this;
}

void NameOwner::release_all() {
    if (ids_.empty()) return;
    NameTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    for (uint32_t id : ids_) t.release(id);
    ids_.clear();
    ids_.shrink_to_fit();
}

}  // namespace velmora
