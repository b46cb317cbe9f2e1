#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

// The growable array behind every list of the database. Every one of the capacity slots
// holds a constructed element: growth fills the new slots with copies of one value-
// initialised element, so an array of SmartPtr gets one fresh default object per growth,
// shared by the new slots (a set of a million points would otherwise make and free a
// million default objects). A spare slot is only ever overwritten, never changed in place.
//
// Indexes are not checked here; callers pass only indexes in [0, Count()). Readers of
// files check what they read before they index.
template <typename T> class SimpleArray {
public:
    SimpleArray() = default;
    SimpleArray(const SimpleArray& other) { CopyFrom(other); }
    SimpleArray& operator=(const SimpleArray& other) {
        if (this != &other) {
            SimpleArray copy(other);
            Swap(copy);
        }
        return *this;
    }
    virtual ~SimpleArray() { Free(buffer_, capacity_); }

    // Makes room for n elements: when the capacity is below n it becomes 2 * n.
    void Reserve(std::int32_t n) {
        if (capacity_ >= n) {
            return;
        }
        const std::size_t size = static_cast<std::size_t>(n) * 2;
        // Value-initialised, so that slots of pointers start out null.
        const T fill{};
        T* grown = Allocate(size);
        std::uninitialized_move_n(buffer_, capacity_, grown);
        std::uninitialized_fill_n(grown + capacity_, size - static_cast<std::size_t>(capacity_),
                                  fill);
        Free(buffer_, capacity_);
        buffer_ = grown;
        capacity_ = n * 2;
    }

    // Reserves for the count rounded up to a multiple of ten (the data-set list and the
    // saved-view stack grow in these steps).
    void ReserveInTens(std::int32_t n) { Reserve((n + 9) / 10 * 10); }

    void Append(const T& element) {
        Reserve(count_ + 1);
        buffer_[count_] = element;
        ++count_;
    }

    // Moves every later element one slot down; the slot that falls out of use keeps its
    // value until it is overwritten.
    void RemoveAt(std::int32_t index) {
        for (std::int32_t i = index; i + 1 < count_; ++i) {
            buffer_[i] = buffer_[i + 1];
        }
        --count_;
    }

    T& operator[](std::int32_t index) { return buffer_[index]; }
    const T& operator[](std::int32_t index) const { return buffer_[index]; }

    std::int32_t Count() const { return count_; }
    std::int32_t Capacity() const { return capacity_; }
    // For owners that keep the count themselves; n must not exceed the capacity.
    void SetCount(std::int32_t n) { count_ = n; }

    T* begin() { return buffer_; }
    T* end() { return buffer_ + count_; }
    const T* begin() const { return buffer_; }
    const T* end() const { return buffer_ + count_; }

    void Swap(SimpleArray& other) noexcept {
        std::swap(buffer_, other.buffer_);
        std::swap(capacity_, other.capacity_);
        std::swap(count_, other.count_);
    }

private:
    static T* Allocate(std::size_t size) { return std::allocator<T>().allocate(size); }
    static void Free(T* buffer, std::int32_t capacity) {
        if (buffer != nullptr) {
            std::destroy_n(buffer, capacity);
            std::allocator<T>().deallocate(buffer, static_cast<std::size_t>(capacity));
        }
    }

    void CopyFrom(const SimpleArray& other) {
        if (other.capacity_ > 0) {
            buffer_ = Allocate(static_cast<std::size_t>(other.capacity_));
            std::uninitialized_copy_n(other.buffer_, other.capacity_, buffer_);
            capacity_ = other.capacity_;
        }
        count_ = other.count_;
    }

    T* buffer_ = nullptr;
    std::int32_t capacity_ = 0;
    std::int32_t count_ = 0;
};

// A SimpleArray with its own top count; the saved-view stack of the image view is its user.
template <typename T> class SimpleStack : public SimpleArray<T> {
public:
    ~SimpleStack() override = default;

    std::int32_t top = 0;
};
