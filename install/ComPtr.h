// A counted reference to a COM object: adds a reference when it takes a
// pointer, releases it when it lets go.
#pragma once

#include <utility>

// Works for the archive library's interfaces and the system's alike.
namespace com {

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T* object) : object_(object) {
        if (object_) object_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.object_) {}
    ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    void Reset() {
        if (T* object = std::exchange(object_, nullptr)) object->Release();
    }
    // For out-parameters that hand over a reference: drops the current one first.
    T** Receive() {
        Reset();
        return &object_;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
    // Gives the reference away, for out-parameters of our own.
    T* Detach() { return std::exchange(object_, nullptr); }

    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

}  // namespace com
