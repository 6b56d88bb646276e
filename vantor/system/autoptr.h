#pragma once
// TVantorAutoPtr: the reference-counted owning pointer of the components'
// registries. Counts live in one process-wide registry of 8192 chains keyed
// by the object's address; the handle itself is one pointer.
#include <cstdint>

namespace VantorSystem {

namespace AutoPtrRegistry {
// Adds one to the count of `address` (registers it with count 1 if new).
void Acquire(const void* address);
// Subtracts one; returns true when the count reached zero and the entry was
// removed (the caller then deletes the object). Throws EVnAutoPtr for an
// address that is not registered, leaving the registry unchanged.
bool Release(const void* address);
// The count of `address`, 0 when it is not registered.
uint32_t Count(const void* address);
constexpr int kChains = 8192;
inline int ChainOf(const void* address) {
  return static_cast<int>((reinterpret_cast<uintptr_t>(address) >> 4) & 0x1FFF);
}
}  // namespace AutoPtrRegistry

template <class T>
class TVantorAutoPtr {
 public:
  TVantorAutoPtr(T* pointer = nullptr) : pointer_(pointer) {
    if (pointer_) AutoPtrRegistry::Acquire(pointer_);
  }
  TVantorAutoPtr(const TVantorAutoPtr& other) : pointer_(other.pointer_) {
    if (pointer_) AutoPtrRegistry::Acquire(pointer_);
  }
  ~TVantorAutoPtr() { Drop(); }

  TVantorAutoPtr& operator=(T* pointer) {
    if (pointer == pointer_) return *this;
    Drop();
    pointer_ = pointer;
    if (pointer_) AutoPtrRegistry::Acquire(pointer_);
    return *this;
  }
  TVantorAutoPtr& operator=(const TVantorAutoPtr& other) { return *this = other.pointer_; }

  T* get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  T& operator*() const { return *pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

 private:
  void Drop() {
    T* held = pointer_;
    pointer_ = nullptr;
    if (held && AutoPtrRegistry::Release(held)) delete held;
  }

  T* pointer_;
};

}  // namespace VantorSystem
