#pragma once
// A list that keeps its first N elements inside the owning record and moves to the heap only when
// it grows past them. Most lists of the model's records hold one or two entries (the branches of
// a conditional event, the triggers of a node), and a heap block for each would cost more than
// the entry itself.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

namespace velmora {

template <class T, size_t N>
class SmallVector {
    static_assert(N > 0, "keep at least one element inline");

public:
    using value_type = T;
    using iterator = T*;
    using const_iterator = const T*;

    SmallVector() = default;
    SmallVector(std::initializer_list<T> items) {
        reserve(items.size());
        for (const T& item : items) push_back(item);
    }
    SmallVector(const SmallVector& other) {
        reserve(other.size_);
        for (const T& item : other) push_back(item);
    }
    SmallVector(SmallVector&& other) noexcept { take_from(other); }
    SmallVector& operator=(const SmallVector& other) {
        if (this != &other) {
            SmallVector copy(other);
            clear_and_free();
            take_from(copy);
        }
        return *this;
    }
    SmallVector& operator=(SmallVector&& other) noexcept {
        if (this != &other) {
            clear_and_free();
            take_from(other);
        }
        return *this;
    }
    ~SmallVector() { clear_and_free(); }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T* data() { return on_heap() ? heap_ : inline_data(); }
    const T* data() const { return on_heap() ? heap_ : inline_data(); }
    T* begin() { return data(); }
    T* end() { return data() + size_; }
    const T* begin() const { return data(); }
    const T* end() const { return data() + size_; }
    T& operator[](size_t i) { return data()[i]; }
    const T& operator[](size_t i) const { return data()[i]; }
    T& at(size_t i) {
        if (i >= size_) throw std::out_of_range("SmallVector::at");
        return data()[i];
    }
    const T& at(size_t i) const { return const_cast<SmallVector*>(this)->at(i); }
    T& front() { return data()[0]; }
    const T& front() const { return data()[0]; }
    T& back() { return data()[size_ - 1]; }
    const T& back() const { return data()[size_ - 1]; }

    void push_back(const T& item) { emplace_back(item); }
    void push_back(T&& item) { emplace_back(std::move(item)); }
    template <class... Args>
    T& emplace_back(Args&&... args) {
        if (size_ == capacity()) {
            // Build the new element first: `args` may refer to an element of this list.
            T item(std::forward<Args>(args)...);
            reserve(capacity() * 2);
            return *::new (static_cast<void*>(data() + size_++)) T(std::move(item));
        }
        return *::new (static_cast<void*>(data() + size_++)) T(std::forward<Args>(args)...);
    }
    void pop_back() { data()[--size_].~T(); }
    void clear() {
        std::destroy(begin(), end());
        size_ = 0;
    }
    void reserve(size_t wanted) {
        if (wanted <= capacity()) return;
        T* fresh =
            static_cast<T*>(::operator new (wanted * sizeof(T), std::align_val_t{alignof(T)}));
        std::uninitialized_move(begin(), end(), fresh);
        std::destroy(begin(), end());
        free_heap();
        heap_ = fresh;
        heap_capacity_ = static_cast<uint32_t>(wanted);
    }

    friend bool operator==(const SmallVector& a, const SmallVector& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }
    friend bool operator==(const SmallVector& a, const std::vector<T>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    bool on_heap() const { return heap_capacity_ != 0; }
    size_t capacity() const { return on_heap() ? heap_capacity_ : N; }
    T* inline_data() { return std::launder(reinterpret_cast<T*>(inline_)); }
    const T* inline_data() const { return std::launder(reinterpret_cast<const T*>(inline_)); }
    /// Called with no live elements: the inline bytes may be taken over by the heap pointer.
    void free_heap() {
        if (on_heap()) ::operator delete (heap_, std::align_val_t{alignof(T)});
        heap_capacity_ = 0;
    }
    void clear_and_free() {
        clear();
        free_heap();
    }
    /// Takes `other`'s elements (its heap block when it has one) and leaves it empty.
    void take_from(SmallVector& other) noexcept {
        if (other.on_heap()) {
            heap_ = other.heap_;
            heap_capacity_ = std::exchange(other.heap_capacity_, 0);
        } else {
            std::uninitialized_move(other.begin(), other.end(), inline_data());
            std::destroy(other.begin(), other.end());
        }
        size_ = std::exchange(other.size_, 0);
    }

    // The elements live in place until the list outgrows them; then the same bytes hold the
    // pointer to the heap block (a capacity of 0 means "in place").
    union {
        alignas(T) unsigned char inline_[N * sizeof(T)];
        T* heap_;
    };
    uint32_t size_ = 0;
    uint32_t heap_capacity_ = 0;
};

}  // namespace velmora
