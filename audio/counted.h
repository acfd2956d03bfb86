#pragma once
// Intrusive reference counting for the objects that flow through audio chains (sources and
// sinks). The count lives in the object; CountedRef takes one reference for as long as it holds
// the object, and the last reference destroys the object through its virtual destructor.

#include <atomic>
#include <cstdint>
#include <utility>

namespace sonvara {

class Counted {
  public:
    Counted() = default;
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;

    std::uint32_t ReferenceCount() const { return references_.load(std::memory_order_relaxed); }

  protected:
    virtual ~Counted() = default;

  private:
    template <typename T>
    friend class CountedRef;

    void AddReference() { references_.fetch_add(1, std::memory_order_relaxed); }
    void DropReference() {
        if (references_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            delete this;
        }
    }

    // Atomic, because a chain built on the interface thread is read and let go on a worker.
    std::atomic<std::uint32_t> references_{0};
};

template <typename T>
class CountedRef {
  public:
    CountedRef() = default;
    CountedRef(T* object) : object_(object) {  // NOLINT: taking a new object is the common case
        if (object_ != nullptr) {
            object_->AddReference();
        }
    }
    CountedRef(const CountedRef& other) : CountedRef(other.object_) {}
    CountedRef(CountedRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    template <typename U>
    CountedRef(const CountedRef<U>& other) : CountedRef(other.Get()) {}  // NOLINT: upcast
    ~CountedRef() { Reset(); }

    // The new object's count goes up before the old one's goes down, so assigning a reference to
    // itself (or to another reference to the same object) never destroys the object.
    CountedRef& operator=(const CountedRef& other) {
        CountedRef(other).Swap(*this);
        return *this;
    }
    CountedRef& operator=(CountedRef&& other) noexcept {
        CountedRef(std::move(other)).Swap(*this);
        return *this;
    }

    void Reset() {
        if (T* object = std::exchange(object_, nullptr)) {
            object->DropReference();
        }
    }
    void Swap(CountedRef& other) noexcept { std::swap(object_, other.object_); }

    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }
    bool operator==(const CountedRef& other) const { return object_ == other.object_; }

  private:
    T* object_ = nullptr;
};

}  // namespace sonvara
