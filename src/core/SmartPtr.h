#pragma once

#include "core/ArchiveMark.h"

#include <cstdint>
#include <memory>
#include <utility>

// A counted pointer whose holder, not the object, is the unit of sharing: two SmartPtrs
// refer to the same record exactly when they share the holder. A SmartPtr is never empty;
// default construction makes a fresh default object.
template <typename T> class SmartPtr {
public:
    struct Holder : ArchiveMark {
        Holder(std::int32_t references, T* held) : count(references), object(held) {}
        std::int32_t count;
        T* object;
    };

    SmartPtr() : holder_(new Holder(1, new T())) {}
    explicit SmartPtr(T* object) : holder_(new Holder(1, object != nullptr ? object : new T())) {}
    SmartPtr(const SmartPtr& other) : holder_(other.holder_) { ++holder_->count; }
    // Counts first, then releases: assigning a pointer to itself keeps the object alive.
    SmartPtr& operator=(const SmartPtr& other) {
        ++other.holder_->count;
        Release();
        holder_ = other.holder_;
        return *this;
    }
    ~SmartPtr() { Release(); }

    void Swap(SmartPtr& other) noexcept { std::swap(holder_, other.holder_); }

    T* get() const { return holder_->object; }
    T* operator->() const { return holder_->object; }
    T& operator*() const { return *holder_->object; }

    Holder* holder() const { return holder_; }
    bool SharesHolderWith(const SmartPtr& other) const { return holder_ == other.holder_; }
    std::int32_t UseCount() const { return holder_->count; }

    // Puts another object into the same holder (every sharer sees it) and destroys the old one.
    void ReplaceObject(std::unique_ptr<T> object) {
        T* old = holder_->object;
        holder_->object = object ? object.release() : new T();
        delete old;
    }

    // Shares an existing holder; the holder's count goes up by one.
    void ShareHolder(Holder* holder) {
        ++holder->count;
        Release();
        holder_ = holder;
    }

    // A pointer that shares an existing holder (its count goes up by one), made without a
    // default object first.
    static SmartPtr Share(Holder* holder) {
        ++holder->count;
        return SmartPtr(holder, SharedTag{});
    }
    // Counting on a bare holder, for the object table that keeps holders across a load.
    static void AddReference(Holder* holder) { ++holder->count; }
    static void ReleaseReference(Holder* holder) {
        if (--holder->count <= 0) {
            delete holder->object;
            delete holder;
        }
    }

private:
    struct SharedTag {};
    SmartPtr(Holder* holder, SharedTag) : holder_(holder) {}
    void Release() { ReleaseReference(holder_); }

    Holder* holder_;
};
