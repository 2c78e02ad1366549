#include "model/common/name.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <string_view>
#include <vector>

#include "common/internal_error.h"

namespace velmora {
namespace {

// Entries are stored in fixed-size chunks whose pointers never change once published, so a
// reader holding a reference needs no lock; interning and releasing take the mutex.
constexpr uint32_t kChunkBits = 16;
constexpr uint32_t kChunkSize = 1u << kChunkBits;
// Ids stay below 2^31: an identity's absolute name uses the top bit to mark a formed name.
constexpr uint32_t kMaxChunks = 1u << 15;

struct Entry {
    char* text = nullptr;
    uint32_t size = 0;
    uint32_t refs = 0;
    uint32_t hash = 0;     // kept so that releasing a name does not read its text again
    bool indexed = false;  // found by its text (every name but the unshared ones)
};

/// Text storage in size classes of 8 bytes, carved from large blocks; a freed text goes on its
/// class's free list and is reused, so a process that makes and drops designs stays flat.
class TextPool {
public:
    char* allocate(size_t size) {
        size_t cls = class_of(size);
        if (free_[cls] != nullptr) {
            char* out = free_[cls];
            free_[cls] = *reinterpret_cast<char**>(out);
            return out;
        }
        size_t bytes = cls * kGranule;
        if (bytes > left_) {
            cursor_ = new char[kBlock];  // blocks are kept: their texts are reused
            left_ = kBlock;
        }
        char* out = cursor_;
        cursor_ += bytes;
        left_ -= bytes;
        return out;
    }
    void free(char* text, size_t size) {
        size_t cls = class_of(size);
        *reinterpret_cast<char**>(text) = free_[cls];
        free_[cls] = text;
    }

private:
    static constexpr size_t kGranule = 8;  // holds the free-list link
    static constexpr size_t kBlock = 1u << 16;
    static constexpr size_t kClasses = 1024 / kGranule + 2;
    static size_t class_of(size_t size) {
        size_t cls = (size + kGranule - 1) / kGranule;
        if (cls == 0) cls = 1;
        if (cls >= kClasses) panic("name table: name too long to intern");
        return cls;
    }

    char* free_[kClasses] = {};
    char* cursor_ = nullptr;
    size_t left_ = 0;
};

/// Open addressing with linear probing over (hash, id) slots; id 0 marks an empty slot.
class TextIndex {
public:
    template <class TextOf>
    uint32_t find(std::string_view text, uint32_t hash, TextOf text_of) const {
        if (slots_.empty()) return 0;
        for (size_t i = hash & mask(); slots_[i].id != 0; i = (i + 1) & mask()) {
            if (slots_[i].hash == hash && text_of(slots_[i].id) == text) return slots_[i].id;
        }
        return 0;
    }
    void insert(uint32_t id, uint32_t hash) {
        if ((used_ + 1) * 10 > slots_.size() * 7) grow();
        place(Slot{hash, id});
        ++used_;
    }
    void erase(uint32_t id, uint32_t hash) {
        size_t i = hash & mask();
        while (slots_[i].id != id) i = (i + 1) & mask();
        // Backward shift: later slots of the run move up so that no probe stops early.
        for (size_t j = (i + 1) & mask(); slots_[j].id != 0; j = (j + 1) & mask()) {
            size_t home = slots_[j].hash & mask();
            bool movable = (i <= j) ? (home <= i || home > j) : (home <= i && home > j);
            if (movable) {
                slots_[i] = slots_[j];
                i = j;
            }
        }
        slots_[i] = Slot{};
        --used_;
    }
    size_t size() const { return used_; }
    /// Empties the index, keeping its slots, for a rebuild with insert().
    void clear() {
        std::fill(slots_.begin(), slots_.end(), Slot{});
        used_ = 0;
    }

private:
    struct Slot {
        uint32_t hash = 0;
        uint32_t id = 0;
    };
    size_t mask() const { return slots_.size() - 1; }
    void place(Slot s) {
        size_t i = s.hash & mask();
        while (slots_[i].id != 0) i = (i + 1) & mask();
        slots_[i] = s;
    }
    void grow() {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
        for (const Slot& s : old) {
            if (s.id != 0) place(s);
        }
    }

    std::vector<Slot> slots_;
    size_t used_ = 0;
};

uint32_t hash_of(std::string_view text) {
    return static_cast<uint32_t>(std::hash<std::string_view>()(text));
}

struct NameTable {
    std::atomic<Entry*> chunks[kMaxChunks] = {};
    std::mutex mutex;
    uint32_t next_id = 1;
    std::vector<uint32_t> free_ids;
    TextIndex index;
    TextPool texts;
    size_t unindexed_live = 0;

    uint32_t store(std::string_view text, uint32_t hash, bool indexed) {
        char* copy = texts.allocate(text.size());
        std::memcpy(copy, text.data(), text.size());
        uint32_t id = new_id();
        entry(id) = Entry{copy, static_cast<uint32_t>(text.size()), 1, hash, indexed};
        if (indexed) {
            index.insert(id, hash);
        } else {
            ++unindexed_live;
        }
        return id;
    }

    Entry& entry(uint32_t id) {
        return chunks[id >> kChunkBits].load(std::memory_order_relaxed)[id & (kChunkSize - 1)];
    }
    std::string_view text(uint32_t id) {
        Entry& e = entry(id);
        return std::string_view(e.text, e.size);
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
        if (drop_reference(id) && entry(id).indexed) index.erase(id, entry(id).hash);
        free_entry(id);
    }

    /// Releases one reference on each name; when a large share of the table dies at once (a big
    /// design being dropped), the index is rebuilt from the survivors in one pass instead of
    /// erasing the dead one by one at random places.
    void release_many(const std::vector<uint32_t>& ids) {
        std::vector<uint32_t> dead;
        for (uint32_t id : ids) {
            if (drop_reference(id)) dead.push_back(id);
        }
        if (dead.size() * 4 < index.size()) {
            for (uint32_t id : dead) {
                if (entry(id).indexed) index.erase(id, entry(id).hash);
            }
        } else {
            index.clear();
            for (uint32_t id = 1; id < next_id; ++id) {
                const Entry& e = entry(id);
                if (e.refs != 0 && e.indexed) index.insert(id, e.hash);
            }
        }
        for (uint32_t id : dead) free_entry(id);
    }

private:
    /// True when this was the last reference: the entry is dead but still holds its text.
    bool drop_reference(uint32_t id) {
        Entry& e = entry(id);
        return e.refs != 0 && --e.refs == 0;
    }
    void free_entry(uint32_t id) {
        Entry& e = entry(id);
        if (e.refs != 0 || e.text == nullptr) return;
        texts.free(e.text, e.size);
        if (!e.indexed) --unindexed_live;
        e = Entry{};
        free_ids.push_back(id);
    }

public:
};

NameTable& table() {
    static NameTable* t = new NameTable();  // never destroyed: arenas may outlive static teardown
    return *t;
}

void add_reference(Entry& e) {
    if (e.refs == UINT32_MAX) panic("name table: too many references to one name");
    ++e.refs;
}

}  // namespace

Name Name::intern(std::string_view text) {
    if (text.empty()) return Name();
    NameTable& t = table();
    uint32_t hash = hash_of(text);
    std::lock_guard<std::mutex> lock(t.mutex);
    if (uint32_t id = t.index.find(text, hash, [&](uint32_t i) { return t.text(i); })) {
        add_reference(t.entry(id));
        return Name(id);
    }
    return Name(t.store(text, hash, true));
}

Name Name::intern_unshared(std::string_view text) {
    if (text.empty()) return Name();
    NameTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    return Name(t.store(text, 0, false));
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
    add_reference(t.entry(id_));
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
    return t.index.size() + t.unindexed_live;
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
    t.release_many(ids_);
    ids_.clear();
    ids_.shrink_to_fit();
}

}  // namespace velmora
