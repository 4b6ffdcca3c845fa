// The Windows code page numbers we support and the conversion tables that serve them.

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "platform/codepage/codepage.h"

namespace velsor::codepage {
namespace {

struct CodePageEntry {
  std::uint32_t number;
  std::string_view converter;  // the conversion table's name
  std::string_view charset;    // how a locale names the same character set, normalised
};

// Charset names are compared upper-case with '-' and '_' removed.
constexpr std::array kCodePages{
    CodePageEntry{437, "ibm-437", "IBM437"},
    CodePageEntry{850, "ibm-850", "IBM850"},
    CodePageEntry{852, "ibm-852", "IBM852"},
    CodePageEntry{866, "ibm-866", "IBM866"},
    CodePageEntry{874, "windows-874", "CP874"},
    CodePageEntry{932, "windows-932", "SHIFTJIS"},
    CodePageEntry{936, "windows-936-2000", "GBK"},
    CodePageEntry{949, "windows-949", "EUCKR"},
    CodePageEntry{950, "windows-950", "BIG5"},
    CodePageEntry{1250, "windows-1250", "CP1250"},
    CodePageEntry{1251, "windows-1251", "CP1251"},
    CodePageEntry{1252, "windows-1252", "CP1252"},
    CodePageEntry{1253, "windows-1253", "CP1253"},
    CodePageEntry{1254, "windows-1254", "CP1254"},
    CodePageEntry{1255, "windows-1255", "CP1255"},
    CodePageEntry{1256, "windows-1256", "CP1256"},
    CodePageEntry{1257, "windows-1257", "CP1257"},
    CodePageEntry{1258, "windows-1258", "CP1258"},
    CodePageEntry{10000, "macintosh", "MACINTOSH"},
    CodePageEntry{20127, "US-ASCII", "ANSIX3.41968"},
    CodePageEntry{20866, "KOI8-R", "KOI8R"},
    CodePageEntry{21866, "KOI8-U", "KOI8U"},
    CodePageEntry{28591, "ISO-8859-1", "ISO88591"},
    CodePageEntry{28592, "ISO-8859-2", "ISO88592"},
    CodePageEntry{28593, "ISO-8859-3", "ISO88593"},
    CodePageEntry{28594, "ISO-8859-4", "ISO88594"},
    CodePageEntry{28595, "ISO-8859-5", "ISO88595"},
    CodePageEntry{28596, "ISO-8859-6", "ISO88596"},
    CodePageEntry{28597, "ISO-8859-7", "ISO88597"},
    CodePageEntry{28598, "ISO-8859-8", "ISO88598"},
    CodePageEntry{28599, "ISO-8859-9", "ISO88599"},
    CodePageEntry{28603, "ISO-8859-13", "ISO885913"},
    CodePageEntry{28605, "ISO-8859-15", "ISO885915"},
    CodePageEntry{54936, "GB18030", "GB18030"},
    CodePageEntry{65000, "UTF-7", "UTF7"},
    CodePageEntry{65001, "UTF-8", "UTF8"},
};

// Other names locales use for character sets above.
struct CharsetAlias {
  std::string_view charset;
  std::uint32_t number;
};
constexpr std::array kCharsetAliases{
    CharsetAlias{"ASCII", 20127}, CharsetAlias{"USASCII", 20127}, CharsetAlias{"CP936", 936},
    CharsetAlias{"GB2312", 936},  CharsetAlias{"EUCCN", 936},     CharsetAlias{"SJIS", 932},
    CharsetAlias{"CP932", 932},   CharsetAlias{"CP949", 949},     CharsetAlias{"BIG5HKSCS", 950},
    CharsetAlias{"CP950", 950},   CharsetAlias{"LATIN1", 28591},  CharsetAlias{"UTF8", 65001},
};

std::string NormaliseCharset(std::string_view name) {
  std::string normal;
  for (char c : name) {
    if (c == '-' || c == '_') continue;
    normal.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  }
  return normal;
}

}  // namespace

std::optional<std::string_view> ConverterName(std::uint32_t codePage) {
  if (codePage == kAnsi) codePage = SystemAnsiCodePage();
  auto entry = std::find_if(kCodePages.begin(), kCodePages.end(),
                            [codePage](const CodePageEntry& e) { return e.number == codePage; });
  if (entry == kCodePages.end()) return std::nullopt;
  return entry->converter;
}

bool KeepsAscii(std::uint32_t codePage) {
  const auto name = ConverterName(codePage);
  return name && *name != "UTF-7";
}

std::optional<std::uint32_t> CodePageOfCharset(std::string_view charset) {
  const std::string normal = NormaliseCharset(charset);
  for (const auto& entry : kCodePages) {
    if (entry.charset == normal) return entry.number;
  }
  for (const auto& alias : kCharsetAliases) {
    if (alias.charset == normal) return alias.number;
  }
  return std::nullopt;
}

}  // namespace velsor::codepage
