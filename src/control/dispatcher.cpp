#include "control/dispatcher.h"

#include <array>
#include <cstdio>
#include <string>

#include "control/member_table.h"
#include "platform/base/hresult.h"
#include "platform/codepage/utf.h"
#include "platform/com/bstr.h"

namespace velsor::control {
namespace {

constexpr std::u16string_view kSource = u"Velsor.TolvaneVelsor20_64.1";

const MemberInfo* SelectMember(DISPID dispid, WORD flags) {
  if (flags & DISPATCH_PROPERTYPUT) return FindMember(dispid, MemberKind::PropertyPut);
  if (flags & DISPATCH_METHOD) {
    if (const MemberInfo* method = FindMember(dispid, MemberKind::Method)) return method;
  }
  if (flags & DISPATCH_PROPERTYGET) return FindMember(dispid, MemberKind::PropertyGet);
  return nullptr;
}

// Coerced arguments in parameter order, cleared when the call is over. An argument that
// already has the parameter's type is borrowed from the caller, not copied: a page's big
// text is not held twice for the length of the call.
class CoercedArguments {
 public:
  CoercedArguments() {
    for (VARIANT& v : values_) VariantInit(&v);
    borrowed_.fill(false);
  }
  ~CoercedArguments() {
    for (std::size_t i = 0; i < kMaxParams; ++i) {
      if (!borrowed_[i]) VariantClear(&values_[i]);
    }
  }
  CoercedArguments(const CoercedArguments&) = delete;
  CoercedArguments& operator=(const CoercedArguments&) = delete;

  HRESULT Coerce(std::size_t i, const VARIANT& given, VARTYPE type) {
    if (given.vt == type) {
      values_[i] = given;
      borrowed_[i] = true;
      return S_OK;
    }
    return VariantChangeType(&values_[i], &given, 0, type);
  }
  std::span<VARIANT> first(std::size_t count) { return std::span(values_).first(count); }

 private:
  std::array<VARIANT, kMaxParams> values_;
  std::array<bool, kMaxParams> borrowed_;
};

void SetArgError(UINT* argError, UINT index) {
  if (argError != nullptr) *argError = index;
}

// Where each parameter's value sits in rgvarg: positional arguments are stored last to
// first, named ones carry the parameter's position (or DISPID_PROPERTYPUT for the value
// of a property).
HRESULT ArrangeArguments(const MemberInfo& member, const DISPPARAMS& params,
                         std::array<UINT, kMaxParams>& sourceOf, UINT* argError) {
  constexpr UINT kUnset = ~UINT{0};
  sourceOf.fill(kUnset);
  const UINT positional = params.cArgs - params.cNamedArgs;
  for (UINT p = 0; p < positional; ++p) sourceOf[p] = params.cArgs - 1 - p;
  for (UINT i = 0; i < params.cNamedArgs; ++i) {
    const DISPID id = params.rgdispidNamedArgs[i];
    std::size_t parameter = 0;
    if (id == DISPID_PROPERTYPUT && member.kind == MemberKind::PropertyPut) {
      parameter = member.paramCount - 1;
    } else if (id >= 0 && static_cast<std::size_t>(id) < member.paramCount) {
      parameter = static_cast<std::size_t>(id);
    } else {
      SetArgError(argError, i);
      return DISP_E_PARAMNOTFOUND;
    }
    if (sourceOf[parameter] != kUnset) {
      SetArgError(argError, i);
      return DISP_E_PARAMNOTFOUND;
    }
    sourceOf[parameter] = i;
  }
  return S_OK;
}

void DescribeFailure(const MemberInfo& member, HRESULT hr, EXCEPINFO* exception) {
  if (exception == nullptr) return;
  *exception = EXCEPINFO{};
  exception->scode = hr;
  char detail[64];
  if (hr == E_NOTIMPL) {
    std::snprintf(detail, sizeof detail, ": not implemented");
  } else {
    std::snprintf(detail, sizeof detail, ": failed with 0x%08X", static_cast<unsigned>(hr));
  }
  try {
    exception->bstrSource = Bstr(kSource).Detach();
    exception->bstrDescription =
        Bstr(codepage::AsciiToUtf16(member.name) + codepage::AsciiToUtf16(detail)).Detach();
  } catch (const std::bad_alloc&) {
    // The scode alone still tells the caller what happened.
  }
}

}  // namespace

HRESULT GetIdsOfNames(LPOLESTR* names, UINT nameCount, DISPID* dispids) {
  if (nameCount == 0) return S_OK;
  if (names == nullptr || dispids == nullptr) return E_INVALIDARG;
  HRESULT hr = S_OK;
  const auto member = names[0] != nullptr ? FindDispid(names[0]) : std::nullopt;
  dispids[0] = member.value_or(DISPID_UNKNOWN);
  if (!member) hr = DISP_E_UNKNOWNNAME;
  for (UINT i = 1; i < nameCount; ++i) {
    std::optional<DISPID> parameter;
    if (member && names[i] != nullptr) parameter = FindParameter(*member, names[i]);
    dispids[i] = parameter.value_or(DISPID_UNKNOWN);
    if (!parameter) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT InvokeMember(IOmbrelTolvaneVelsor20_64& target, DISPID dispid, WORD flags,
                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* argError) {
  const MemberInfo* member = SelectMember(dispid, flags);
  if (member == nullptr) return DISP_E_MEMBERNOTFOUND;
  if (params == nullptr || params->cNamedArgs > params->cArgs ||
      (params->cArgs > 0 && params->rgvarg == nullptr) ||
      (params->cNamedArgs > 0 && params->rgdispidNamedArgs == nullptr)) {
    return E_INVALIDARG;
  }
  if (params->cArgs != member->paramCount) return DISP_E_BADPARAMCOUNT;

  std::array<UINT, kMaxParams> sourceOf;
  if (HRESULT hr = ArrangeArguments(*member, *params, sourceOf, argError); FAILED(hr)) return hr;

  CoercedArguments args;
  for (std::size_t p = 0; p < member->paramCount; ++p) {
    const VARIANT& given = params->rgvarg[sourceOf[p]];
    if (HRESULT hr = args.Coerce(p, given, member->paramTypes[p]); FAILED(hr)) {
      SetArgError(argError, sourceOf[p]);
      return hr;
    }
  }

  if (result != nullptr) VariantInit(result);
  const bool wantsResult = result != nullptr && member->resultType != VT_EMPTY;
  const HRESULT hr =
      member->call(target, args.first(member->paramCount), wantsResult ? result : nullptr);
  if (FAILED(hr)) {
    DescribeFailure(*member, hr, exception);
    return DISP_E_EXCEPTION;
  }
  return hr;
}

}  // namespace velsor::control
