#pragma once
// A value or the platform error value that explains why there is none. The error is
// carried in the result itself: there is no last-error state to consult afterwards.

#include <optional>
#include <string>
#include <utility>

#include "platform/base/hresult.h"

namespace velsor {

struct Error {
  HRESULT code;
  std::string detail;  // for people: logs and command-line messages
};

template <class T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}
  Result(Error error) : error_(std::move(error)) {}

  explicit operator bool() const { return value_.has_value(); }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }

  HRESULT code() const { return value_ ? S_OK : error_.code; }
  const Error& error() const { return error_; }

 private:
  std::optional<T> value_;
  Error error_{S_OK, {}};
};

// For operations with nothing to return but success.
struct Done {};

inline Error Failure(HRESULT code, std::string detail) { return {code, std::move(detail)}; }

}  // namespace velsor
