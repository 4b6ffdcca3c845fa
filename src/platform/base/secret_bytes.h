#pragma once
// Bytes that must not outlive their use: private keys in PKCS#8, content keys, unwrapped
// keys. The allocator wipes every buffer it hands back, so a secret is wiped on every path
// (failures and exceptions included) and also when a vector grows and moves.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <string.h>
#endif

namespace velsor {

// Zeroes memory in a way the compiler may not drop as a dead store.
inline void WipeMemory(void* memory, std::size_t size) {
  if (memory == nullptr || size == 0) return;
#ifdef _WIN32
  SecureZeroMemory(memory, size);
#else
  explicit_bzero(memory, size);
#endif
}

template <class T>
struct WipingAllocator {
  using value_type = T;
  WipingAllocator() = default;
  template <class U>
  WipingAllocator(const WipingAllocator<U>&) {}

  T* allocate(std::size_t count) { return std::allocator<T>{}.allocate(count); }
  void deallocate(T* memory, std::size_t count) {
    WipeMemory(memory, count * sizeof(T));
    std::allocator<T>{}.deallocate(memory, count);
  }
  template <class U>
  bool operator==(const WipingAllocator<U>&) const {
    return true;
  }
};

using SecretBytes = std::vector<std::uint8_t, WipingAllocator<std::uint8_t>>;

}  // namespace velsor
