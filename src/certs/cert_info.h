#pragma once
// The five details of a certificate as the control hands them to a page.

#include <array>
#include <optional>
#include <string>

namespace velsor::certs {

// The `type` numbers a page asks for, 1 to 5.
enum class CertDetail { Subject = 1, Issuer, NotBefore, NotAfter, SerialNumber };

inline constexpr std::size_t kCertDetailCount = 5;

// Items an operation did not produce stay absent.
struct CertInfo {
  std::array<std::optional<std::u16string>, kCertDetailCount> items;
  // The certificate's details could not be made: what is stored of an earlier certificate
  // must go rather than pass for this one's.
  bool unavailable = false;

  std::optional<std::u16string>& operator[](CertDetail detail) {
    return items[static_cast<std::size_t>(detail) - 1];
  }
  const std::optional<std::u16string>& operator[](CertDetail detail) const {
    return items[static_cast<std::size_t>(detail) - 1];
  }
};

}  // namespace velsor::certs
