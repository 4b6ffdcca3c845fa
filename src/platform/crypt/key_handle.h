#pragma once
// A key the platform holds for one operation: a private key from a container or a token,
// or the public key of a certificate. Opaque here; the service's own code reaches it.

#include <memory>

namespace velsor::crypt {

class KeyHandle {
 public:
  // The platform's key, defined by the service's implementation.
  struct Held;

  explicit KeyHandle(std::shared_ptr<const Held> held) : held_(std::move(held)) {}
  const Held& held() const { return *held_; }

 private:
  std::shared_ptr<const Held> held_;
};

}  // namespace velsor::crypt
