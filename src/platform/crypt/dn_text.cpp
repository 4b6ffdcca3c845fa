#include "platform/crypt/dn_text.h"

#include "platform/crypt/cert_find.h"

namespace velsor::crypt {

std::u16string NormalizeDn(std::u16string_view dn) {
  std::u16string normal;
  for (std::size_t i = 0; i < dn.size(); ++i) {
    normal.push_back(dn[i]);
    if (dn[i] == u',' && (i + 1 == dn.size() || dn[i + 1] != u' ')) normal.push_back(u' ');
  }
  return normal;
}

std::vector<std::u16string> DnPieces(std::u16string_view dn, std::u16string_view separator) {
  if (separator.empty()) return {std::u16string(dn)};
  std::vector<std::u16string> pieces;
  std::size_t start = 0;
  for (auto at = dn.find(separator); at != std::u16string_view::npos;
       at = dn.find(separator, start)) {
    pieces.emplace_back(dn.substr(start, at - start));
    start = at + separator.size();
  }
  pieces.emplace_back(dn.substr(start));
  return pieces;
}

std::u16string ReverseDnOrder(std::u16string_view dn) {
  std::vector<std::u16string_view> rdns;
  std::size_t start = 0;
  for (auto comma = dn.find(u','); comma != std::u16string_view::npos;
       comma = dn.find(u',', start)) {
    rdns.push_back(dn.substr(start, comma - start));
    start = comma + 1;
    if (start < dn.size() && dn[start] == u' ') ++start;
  }
  rdns.push_back(dn.substr(start));
  std::u16string reversed;
  for (std::size_t i = rdns.size(); i-- > 0;) {
    reversed += rdns[i];
    if (i > 0) reversed += u", ";
  }
  return reversed;
}

std::u16string ShortNameOfDn(std::u16string_view dn) {
  for (std::u16string_view key : kSearchShortNameOrder) {
    std::u16string keyed(key);
    keyed += u'=';
    const auto at = dn.find(keyed);
    if (at == std::u16string_view::npos) continue;
    const std::u16string_view rest = dn.substr(at + keyed.size());
    return std::u16string(rest.substr(0, rest.find(u',')));
  }
  return std::u16string(dn);
}

std::size_t CountSeparators(std::u16string_view dn, std::u16string_view separator) {
  if (separator.empty()) return 0;
  std::size_t count = 0;
  for (auto at = dn.find(separator); at != std::u16string_view::npos;
       at = dn.find(separator, at + separator.size())) {
    ++count;
  }
  return count;
}

ExactDn::ExactDn(std::u16string_view dn)
    : normal_(NormalizeDn(dn)), shortName_(ShortNameOfDn(dn)) {}

bool ExactDn::Matches(std::u16string_view nameText, std::u16string_view simpleText) const {
  return nameText == normal_ && ContainsIgnoringCase(simpleText, shortName_);
}

}  // namespace velsor::crypt
