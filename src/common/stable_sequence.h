#pragma once
// An append-only sequence whose elements never move: storage grows in chunks that double in size
// (16, 32, 64, ... elements), so a million objects take about twenty allocations instead of one
// per object or per few objects, and an element's address stays valid while the sequence grows.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

namespace velmora {

template <class T>
class StableSequence {
public:
    StableSequence() = default;
    StableSequence(const StableSequence&) = delete;
    StableSequence& operator=(const StableSequence&) = delete;
    StableSequence(StableSequence&& other) noexcept { swap(other); }
    StableSequence& operator=(StableSequence&& other) noexcept {
        if (this != &other) {
            StableSequence dropped(std::move(*this));
            swap(other);
        }
        return *this;
    }
    ~StableSequence() { clear(); }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    T& operator[](size_t i) { return *slot(i); }
    const T& operator[](size_t i) const { return *const_cast<StableSequence*>(this)->slot(i); }
    T& back() { return (*this)[size_ - 1]; }

    template <class... Args>
    T& emplace_back(Args&&... args) {
        size_t chunk = chunk_of(size_);
        if (chunk >= kMaxChunks) throw std::bad_alloc();
        if (!chunks_[chunk]) chunks_[chunk] = allocate(chunk_capacity(chunk));
        T* place = slot(size_);
        ::new (static_cast<void*>(place)) T(std::forward<Args>(args)...);
        ++size_;
        return *place;
    }

    /// Destroys the elements (last first) and gives the storage back.
    void clear() {
        for (size_t i = size_; i > 0; --i) slot(i - 1)->~T();
        size_ = 0;
        for (size_t c = 0; c < kMaxChunks; ++c) {
            if (chunks_[c]) {
                ::operator delete (chunks_[c], std::align_val_t{alignof(T)});
                chunks_[c] = nullptr;
            }
        }
    }

private:
    static constexpr size_t kFirstBits = 4;   // the first chunk holds 16 elements
    static constexpr size_t kMaxChunks = 29;  // 16 * (2^29 - 1) elements: more than 2^32

    static size_t chunk_of(size_t i) {
        return static_cast<size_t>(std::bit_width((i >> kFirstBits) + 1)) - 1;
    }
    static size_t chunk_capacity(size_t chunk) { return size_t{1} << (chunk + kFirstBits); }
    static size_t chunk_start(size_t chunk) {
        return chunk_capacity(chunk) - (size_t{1} << kFirstBits);
    }
    static T* allocate(size_t count) {
        return static_cast<T*>(::operator new (count * sizeof(T), std::align_val_t{alignof(T)}));
    }
    T* slot(size_t i) {
        size_t chunk = chunk_of(i);
        return chunks_[chunk] + (i - chunk_start(chunk));
    }
    void swap(StableSequence& other) noexcept {
        std::swap(size_, other.size_);
        for (size_t c = 0; c < kMaxChunks; ++c) std::swap(chunks_[c], other.chunks_[c]);
    }

    size_t size_ = 0;
    T* chunks_[kMaxChunks] = {};
};

}  // namespace velmora
