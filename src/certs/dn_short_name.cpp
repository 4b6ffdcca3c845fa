#include "certs/dn_short_name.h"

namespace velsor::certs {

std::u16string ShortNameOfDn(std::u16string_view dn) {
  for (std::u16string_view key : {u"CN=", u"E=", u"OU=", u"O="}) {
    const auto at = dn.find(key);
    if (at == std::u16string_view::npos) continue;
    const std::u16string_view rest = dn.substr(at + key.size());
    return std::u16string(rest.substr(0, rest.find(u',')));
  }
  return std::u16string(dn);
}

}  // namespace velsor::certs
