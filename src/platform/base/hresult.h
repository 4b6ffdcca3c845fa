#pragma once
// HRESULT values that cross the automation boundary, and the platform error values that
// the cryptographic services report and the engines map to status codes.

#include "platform/base/win_types.h"

namespace velsor {

constexpr HRESULT Hr(std::uint32_t bits) { return static_cast<HRESULT>(bits); }

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;

inline constexpr HRESULT E_NOTIMPL = Hr(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = Hr(0x80004002);
inline constexpr HRESULT E_POINTER = Hr(0x80004003);
inline constexpr HRESULT E_ABORT = Hr(0x80004004);
inline constexpr HRESULT E_FAIL = Hr(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = Hr(0x8000FFFF);
inline constexpr HRESULT E_ACCESSDENIED = Hr(0x80070005);
inline constexpr HRESULT E_OUTOFMEMORY = Hr(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = Hr(0x80070057);

inline constexpr HRESULT CLASS_E_NOAGGREGATION = Hr(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = Hr(0x80040111);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = Hr(0x80040154);
inline constexpr HRESULT SELFREG_E_CLASS = Hr(0x80040201);
inline constexpr HRESULT SELFREG_E_TYPELIB = Hr(0x80040200);

inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = Hr(0x80020001);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = Hr(0x80020003);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = Hr(0x80020004);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = Hr(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = Hr(0x80020006);
inline constexpr HRESULT DISP_E_NONAMEDARGS = Hr(0x80020007);
inline constexpr HRESULT DISP_E_BADVARTYPE = Hr(0x80020008);
inline constexpr HRESULT DISP_E_EXCEPTION = Hr(0x80020009);
inline constexpr HRESULT DISP_E_OVERFLOW = Hr(0x8002000A);
inline constexpr HRESULT DISP_E_BADINDEX = Hr(0x8002000B);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = Hr(0x8002000E);
inline constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = Hr(0x8002000F);
inline constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = Hr(0x8002802B);

// Values reported by the cryptographic services.
inline constexpr HRESULT NTE_BAD_SIGNATURE = Hr(0x80090006);
inline constexpr HRESULT NTE_BAD_KEY = Hr(0x80090003);
inline constexpr HRESULT NTE_BAD_DATA = Hr(0x80090005);
inline constexpr HRESULT NTE_BAD_ALGID = Hr(0x80090008);
inline constexpr HRESULT NTE_NO_KEY = Hr(0x8009000D);
inline constexpr HRESULT NTE_EXISTS = Hr(0x8009000F);
inline constexpr HRESULT NTE_BAD_KEYSET = Hr(0x80090016);
inline constexpr HRESULT CRYPT_E_NO_KEY_PROPERTY = Hr(0x8009200B);
inline constexpr HRESULT CRYPT_E_NO_DECRYPT_CERT = Hr(0x8009200C);
inline constexpr HRESULT CRYPT_E_NOT_FOUND = Hr(0x80092004);
inline constexpr HRESULT CRYPT_E_OSS_ERROR = Hr(0x80093000);
inline constexpr HRESULT SCARD_F_WAITED_TOO_LONG = Hr(0x80100007);
inline constexpr HRESULT SCARD_W_CANCELLED_BY_USER = Hr(0x8010006E);
// HRESULT_FROM_WIN32(ERROR_CANCELLED): the user declined the operation.
inline constexpr HRESULT HRESULT_ERROR_CANCELLED = Hr(0x800704C7);

}  // namespace velsor
