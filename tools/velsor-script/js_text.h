#pragma once
// Script strings and automation strings. The script engine keeps strings as UTF-8 in
// which characters outside the BMP appear either as one 4-byte sequence or as two encoded
// surrogates; automation strings are UTF-16. Zero characters are kept both ways.

#include <string>
#include <string_view>

#include "platform/base/win_types.h"

namespace velsor::script {

std::u16string ScriptToUtf16(std::string_view internal);
// The same as an automation string the caller frees; throws std::bad_alloc when it cannot
// be had.
BSTR ScriptToBstr(std::string_view internal);

// Each UTF-16 unit as its own sequence, surrogates included, so that the script sees
// exactly the units of the automation string.
std::string Utf16ToScript(std::u16string_view text);

}  // namespace velsor::script
