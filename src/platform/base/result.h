#pragma once
// A value or the error that explains why there is none: the one way every layer below the
// control reports failure (std::optional answers only what may simply be absent). The error
// is carried in the result itself: there is no last-error state to consult afterwards.

#include <optional>
#include <string>
#include <utility>

#include "platform/base/hresult.h"

namespace velsor {

struct Error {
  // The error value of the service or library that failed (an HRESULT, a system or zlib
  // error), or, where the failure is one a page will read in errorNum, its status code
  // (status_codes.h).
  HRESULT code;
  std::string detail;  // for people: logs and command-line messages
};

template <class T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}
  Result(Error error) : error_(std::move(error)) {}

  explicit operator bool() const { return value_.has_value(); }
  T& operator*() & { return *value_; }
  const T& operator*() const& { return *value_; }
  // A temporary result hands its value over rather than a reference that would outlive it.
  T operator*() && { return std::move(*value_); }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }

  T value_or(T fallback) const& { return value_ ? *value_ : std::move(fallback); }

  friend bool operator==(const Result& result, const T& value) {
    return result.value_ && *result.value_ == value;
  }

  HRESULT code() const { return value_ ? S_OK : error_.code; }
  bool Failed(HRESULT code) const { return !value_ && error_.code == code; }
  const Error& error() const { return error_; }

 private:
  std::optional<T> value_;
  Error error_{S_OK, {}};
};

// For operations with nothing to return but success.
struct Done {};

inline Error Failure(HRESULT code, std::string detail) { return {code, std::move(detail)}; }

}  // namespace velsor
