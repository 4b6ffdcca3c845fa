#pragma once
// GUIDs with their registry text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/win_types.h"

namespace velsor {

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::array<std::uint8_t, 8> Data4;

  friend constexpr bool operator==(const GUID&, const GUID&) = default;
};

using IID = GUID;
using CLSID = GUID;
// The system's headers spell these as macros of the same meaning.
#ifndef REFIID
using REFIID = const IID&;
using REFCLSID = const CLSID&;
#endif

inline constexpr GUID IID_NULL{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// Upper-case hexadecimal in braces, as the registry holds class identifiers.
std::string GuidToString(const GUID& guid);

// Accepts the braced registry form only; anything else gives nothing.
std::optional<GUID> ParseGuid(std::string_view text);

}  // namespace velsor
