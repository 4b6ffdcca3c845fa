#pragma once
// Holds one reference to a COM object and releases it when it goes.

#include <utility>

namespace velsor {

template <class Interface>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already holds.
  static ComPtr Adopt(Interface* object) {
    ComPtr owner;
    owner.object_ = object;
    return owner;
  }
  ComPtr(const ComPtr& other) : object_(other.object_) {
    if (object_ != nullptr) object_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~ComPtr() {
    if (object_ != nullptr) object_->Release();
  }

  Interface* get() const { return object_; }
  Interface* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  // Gives the reference to the caller, as an out parameter hands it on.
  Interface* Detach() { return std::exchange(object_, nullptr); }
  // For out parameters that hand over a reference.
  Interface** Receive() {
    *this = ComPtr();
    return &object_;
  }

 private:
  Interface* object_ = nullptr;
};

}  // namespace velsor
