#pragma once
// Builds a member table row from a pointer to the interface's virtual function, so that
// parameter types, the result type and the call itself come from the declaration.

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <tuple>
#include <type_traits>
#include <utility>

#include "control/member_table.h"
#include "platform/base/hresult.h"
#include "platform/com/bstr.h"

namespace velsor::control::binding {

using Interface = IOmbrelTolvaneVelsor20_64;

// Where a value of each parameter type sits in a VARIANT.
template <class T>
struct VariantField;
template <>
struct VariantField<BSTR> {
  static constexpr VARTYPE kType = VT_BSTR;
  static constexpr auto kMember = &VARIANT::bstrVal;
};
template <>
struct VariantField<LONG> {
  static constexpr VARTYPE kType = VT_I4;
  static constexpr auto kMember = &VARIANT::lVal;
};
template <>
struct VariantField<ULONG> {
  static constexpr VARTYPE kType = VT_UI4;
  static constexpr auto kMember = &VARIANT::ulVal;
};

template <class T>
struct In {
  static constexpr VARTYPE kType = VariantField<T>::kType;
  static T Get(const VARIANT& v) { return v.*VariantField<T>::kMember; }
};

template <class T>
struct Out {
  static constexpr bool kIsOut = false;
  using Value = int;
};
template <class T>
requires requires { VariantField<T>::kType; }
struct Out<T*> {
  static constexpr bool kIsOut = true;
  static constexpr VARTYPE kType = VariantField<T>::kType;
  using Value = T;
  static void Store(VARIANT& r, T v) {
    r.vt = kType;
    r.*VariantField<T>::kMember = v;
  }
  // What a failed member left in its output.
  static void Discard(T v) {
    if constexpr (std::is_same_v<T, BSTR>) SysFreeString(v);
  }
};

template <auto Method>
struct Slot;

template <class... Args, HRESULT (Interface::*Method)(Args...)>
struct Slot<Method> {
  static_assert(sizeof...(Args) > 0 && sizeof...(Args) <= kMaxParams);
  using Last = std::tuple_element_t<sizeof...(Args) - 1, std::tuple<Args...>>;
  using Result = Out<Last>;
  static constexpr std::size_t kOutputs = (std::size_t{Out<Args>::kIsOut} + ...);
  static_assert(kOutputs == std::size_t{Result::kIsOut}, "only the last parameter is an output");
  static constexpr std::size_t kInputs = sizeof...(Args) - kOutputs;

  static HRESULT Call(Interface& target, std::span<VARIANT> args, VARIANT* result) {
    return CallWith(target, args, result, std::index_sequence_for<Args...>{});
  }

  // Under the Itanium C++ ABI a pointer to a virtual function holds one plus the byte
  // offset of its slot.
  static std::size_t VtableSlot() {
    auto method = Method;
    struct {
      std::uintptr_t pointer;
      std::ptrdiff_t adjustment;
    } raw;
    static_assert(sizeof raw == sizeof method);
    std::memcpy(&raw, &method, sizeof raw);
    return (raw.pointer - 1) / sizeof(void*);
  }

 private:
  template <std::size_t... Index>
  static HRESULT CallWith(Interface& target, std::span<VARIANT> args, VARIANT* result,
                          std::index_sequence<Index...>) {
    typename Result::Value value{};
    typename Result::Value* output = result != nullptr ? &value : nullptr;
    const HRESULT hr = (target.*Method)(Pass<Args, Index>(args, output)...);
    if constexpr (Result::kIsOut) {
      if (result != nullptr) {
        if (SUCCEEDED(hr)) {
          Result::Store(*result, value);
        } else {
          Result::Discard(value);
        }
      }
    }
    return hr;
  }

  template <class T, std::size_t Index, class Value>
  static T Pass(std::span<VARIANT> args, Value* output) {
    if constexpr (Out<T>::kIsOut) {
      return output;
    } else {
      return In<T>::Get(args[Index]);
    }
  }

  template <class T>
  static constexpr VARTYPE InputType() {
    if constexpr (Out<T>::kIsOut) {
      return VT_EMPTY;
    } else {
      return In<T>::kType;
    }
  }

 public:
  static constexpr std::array<VARTYPE, kMaxParams> ParamTypes() {
    std::array<VARTYPE, kMaxParams> types{};
    std::size_t i = 0;
    ((types[i++] = InputType<Args>()), ...);
    return types;
  }
};

// One table row. The parameter names must match the declaration's inputs, and a result
// name is given exactly when the member has a result; a mismatch does not compile.
template <auto Method>
consteval MemberInfo Member(DISPID dispid, std::string_view name, MemberKind kind,
                            std::string_view help, std::initializer_list<std::string_view> params,
                            std::string_view resultName = {}) {
  using S = Slot<Method>;
  if (params.size() != S::kInputs) throw "parameter names do not match the declaration";
  if (resultName.empty() == S::Result::kIsOut) throw "result name does not match the declaration";
  MemberInfo info{};
  info.dispid = dispid;
  info.name = name;
  info.kind = kind;
  info.paramCount = S::kInputs;
  std::size_t i = 0;
  for (std::string_view param : params) info.paramNames[i++] = param;
  info.paramTypes = S::ParamTypes();
  if constexpr (S::Result::kIsOut) {
    info.resultType = S::Result::kType;
  } else {
    info.resultType = VT_EMPTY;
  }
  info.resultName = resultName;
  info.helpString = help;
  info.call = &S::Call;
  info.vtableSlot = &S::VtableSlot;
  return info;
}

}  // namespace velsor::control::binding
