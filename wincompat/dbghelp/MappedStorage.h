// Working storage for the dump writer, mapped while a dump is written and
// unmapped after: no allocator involved (the process may have crashed inside
// it), and nothing of the writer's own in the data segments it dumps.
#pragma once

#include <sys/mman.h>

#include <new>
#include <stddef.h>

namespace wincompat {

template <typename T>
class MappedStorage {
public:
    explicit MappedStorage(size_t count = 1) : bytes_(count * sizeof(T)) {
        void* memory = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED) return;
        items_ = static_cast<T*>(memory);
        for (size_t i = 0; i < count; ++i) new (&items_[i]) T();
    }
    ~MappedStorage() {
        if (items_) munmap(items_, bytes_);  // T is trivially destructible, nothing else to undo
    }
    MappedStorage(const MappedStorage&) = delete;
    MappedStorage& operator=(const MappedStorage&) = delete;

    bool Valid() const { return items_ != nullptr; }
    T* Get() const { return items_; }
    T& operator*() const { return *items_; }
    T* operator->() const { return items_; }
    T& operator[](size_t index) const { return items_[index]; }

private:
    size_t bytes_;
    T* items_ = nullptr;
};

}  // namespace wincompat
