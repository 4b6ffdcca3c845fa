#pragma once
// HRESULT values that cross the automation boundary, and the platform error values that
// the cryptographic services report and the engines map to status codes. On Windows the
// system's headers define most of them (as macros, with the same values); each is declared
// here only where the system does not.

#include "platform/base/win_types.h"

namespace velsor {

constexpr HRESULT Hr(std::uint32_t bits) { return static_cast<HRESULT>(bits); }

#ifndef SUCCEEDED
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
#endif

#ifndef S_OK
inline constexpr HRESULT S_OK = 0;
#endif
#ifndef S_FALSE
inline constexpr HRESULT S_FALSE = 1;
#endif

#ifndef E_NOTIMPL
inline constexpr HRESULT E_NOTIMPL = Hr(0x80004001);
#endif
#ifndef E_NOINTERFACE
inline constexpr HRESULT E_NOINTERFACE = Hr(0x80004002);
#endif
#ifndef E_POINTER
inline constexpr HRESULT E_POINTER = Hr(0x80004003);
#endif
#ifndef E_ABORT
inline constexpr HRESULT E_ABORT = Hr(0x80004004);
#endif
#ifndef E_FAIL
inline constexpr HRESULT E_FAIL = Hr(0x80004005);
#endif
#ifndef E_UNEXPECTED
inline constexpr HRESULT E_UNEXPECTED = Hr(0x8000FFFF);
#endif
#ifndef E_ACCESSDENIED
inline constexpr HRESULT E_ACCESSDENIED = Hr(0x80070005);
#endif
#ifndef E_OUTOFMEMORY
inline constexpr HRESULT E_OUTOFMEMORY = Hr(0x8007000E);
#endif
#ifndef E_INVALIDARG
inline constexpr HRESULT E_INVALIDARG = Hr(0x80070057);
#endif

#ifndef CLASS_E_NOAGGREGATION
inline constexpr HRESULT CLASS_E_NOAGGREGATION = Hr(0x80040110);
#endif
#ifndef CLASS_E_CLASSNOTAVAILABLE
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = Hr(0x80040111);
#endif
#ifndef REGDB_E_CLASSNOTREG
inline constexpr HRESULT REGDB_E_CLASSNOTREG = Hr(0x80040154);
#endif
#ifndef SELFREG_E_CLASS
inline constexpr HRESULT SELFREG_E_CLASS = Hr(0x80040201);
#endif
#ifndef SELFREG_E_TYPELIB
inline constexpr HRESULT SELFREG_E_TYPELIB = Hr(0x80040200);
#endif

#ifndef DISP_E_UNKNOWNINTERFACE
inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = Hr(0x80020001);
#endif
#ifndef DISP_E_MEMBERNOTFOUND
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = Hr(0x80020003);
#endif
#ifndef DISP_E_PARAMNOTFOUND
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = Hr(0x80020004);
#endif
#ifndef DISP_E_TYPEMISMATCH
inline constexpr HRESULT DISP_E_TYPEMISMATCH = Hr(0x80020005);
#endif
#ifndef DISP_E_UNKNOWNNAME
inline constexpr HRESULT DISP_E_UNKNOWNNAME = Hr(0x80020006);
#endif
#ifndef DISP_E_NONAMEDARGS
inline constexpr HRESULT DISP_E_NONAMEDARGS = Hr(0x80020007);
#endif
#ifndef DISP_E_BADVARTYPE
inline constexpr HRESULT DISP_E_BADVARTYPE = Hr(0x80020008);
#endif
#ifndef DISP_E_EXCEPTION
inline constexpr HRESULT DISP_E_EXCEPTION = Hr(0x80020009);
#endif
#ifndef DISP_E_OVERFLOW
inline constexpr HRESULT DISP_E_OVERFLOW = Hr(0x8002000A);
#endif
#ifndef DISP_E_BADINDEX
inline constexpr HRESULT DISP_E_BADINDEX = Hr(0x8002000B);
#endif
#ifndef DISP_E_BADPARAMCOUNT
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = Hr(0x8002000E);
#endif
#ifndef DISP_E_PARAMNOTOPTIONAL
inline constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = Hr(0x8002000F);
#endif
#ifndef TYPE_E_ELEMENTNOTFOUND
inline constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = Hr(0x8002802B);
#endif

// Values reported by the cryptographic services.
#ifndef NTE_BAD_SIGNATURE
inline constexpr HRESULT NTE_BAD_SIGNATURE = Hr(0x80090006);
#endif
#ifndef NTE_BAD_KEY
inline constexpr HRESULT NTE_BAD_KEY = Hr(0x80090003);
#endif
#ifndef NTE_BAD_DATA
inline constexpr HRESULT NTE_BAD_DATA = Hr(0x80090005);
#endif
#ifndef NTE_BAD_ALGID
inline constexpr HRESULT NTE_BAD_ALGID = Hr(0x80090008);
#endif
#ifndef NTE_NO_KEY
inline constexpr HRESULT NTE_NO_KEY = Hr(0x8009000D);
#endif
#ifndef NTE_EXISTS
inline constexpr HRESULT NTE_EXISTS = Hr(0x8009000F);
#endif
#ifndef NTE_BAD_KEYSET
inline constexpr HRESULT NTE_BAD_KEYSET = Hr(0x80090016);
#endif
#ifndef CRYPT_E_NO_KEY_PROPERTY
inline constexpr HRESULT CRYPT_E_NO_KEY_PROPERTY = Hr(0x8009200B);
#endif
#ifndef CRYPT_E_NO_DECRYPT_CERT
inline constexpr HRESULT CRYPT_E_NO_DECRYPT_CERT = Hr(0x8009200C);
#endif
#ifndef CRYPT_E_NOT_FOUND
inline constexpr HRESULT CRYPT_E_NOT_FOUND = Hr(0x80092004);
#endif
#ifndef CRYPT_E_ASN1_ERROR
inline constexpr HRESULT CRYPT_E_ASN1_ERROR = Hr(0x80093100);
#endif
#ifndef CRYPT_E_ASN1_EOD
inline constexpr HRESULT CRYPT_E_ASN1_EOD = Hr(0x80093102);
#endif
#ifndef CRYPT_E_ASN1_CORRUPT
inline constexpr HRESULT CRYPT_E_ASN1_CORRUPT = Hr(0x80093103);
#endif
#ifndef CRYPT_E_OSS_ERROR
inline constexpr HRESULT CRYPT_E_OSS_ERROR = Hr(0x80093000);
#endif
#ifndef SCARD_F_WAITED_TOO_LONG
inline constexpr HRESULT SCARD_F_WAITED_TOO_LONG = Hr(0x80100007);
#endif
#ifndef SCARD_W_CANCELLED_BY_USER
inline constexpr HRESULT SCARD_W_CANCELLED_BY_USER = Hr(0x8010006E);
#endif
#ifndef SCARD_E_NO_SMARTCARD
inline constexpr HRESULT SCARD_E_NO_SMARTCARD = Hr(0x8010000C);
#endif
#ifndef SCARD_W_WRONG_CHV
inline constexpr HRESULT SCARD_W_WRONG_CHV = Hr(0x8010006B);
#endif
#ifndef SCARD_W_CHV_BLOCKED
inline constexpr HRESULT SCARD_W_CHV_BLOCKED = Hr(0x8010006C);
#endif
// HRESULT_FROM_WIN32(ERROR_CANCELLED): the user declined the operation.
#ifndef HRESULT_ERROR_CANCELLED
inline constexpr HRESULT HRESULT_ERROR_CANCELLED = Hr(0x800704C7);
#endif

}  // namespace velsor
