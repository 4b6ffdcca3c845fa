#pragma once
// The fixed-width types of the automation ABI. COM's "long" is 32 bits wide on every
// platform, so LONG and ULONG are spelled out rather than left to the C++ "long".

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

namespace velsor {

#ifdef _WIN32
// The system's own types, so that values pass to its functions as they are.
using ::BOOL;
using ::BYTE;
using ::DWORD;
using ::HRESULT;
using ::INT;
using ::LCID;
using ::LONG;
using ::LONGLONG;

using ::SHORT;
using ::UINT;
using ::ULONG;
using ::ULONGLONG;
using ::USHORT;
using ::WORD;
using DOUBLE = double;
using FLOAT = float;
using SCODE = ::LONG;
using DISPID = ::LONG;
#else
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using INT = std::int32_t;
using BOOL = std::int32_t;
using UINT = std::uint32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using DOUBLE = double;
using FLOAT = float;
using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using LCID = std::uint32_t;
using DISPID = std::int32_t;
#endif
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;

}  // namespace velsor
