#pragma once
// The rules for DN text, in one place for both platforms: the platform's separator after
// commas, alternatives cut at the page's separator, RDNs the other way round, the two
// short-name orders, the exact-DN match, and counting separators.
//
// Names are written with values quoted when they hold a comma ("O=\"Example Co., Ltd.\"");
// the page's own DN text is cut at every comma all the same (ReverseDnOrder, ShortNameOfDn):
// that is the page's compatibility rule, which pages rely on, and quoting does not change it.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace velsor::crypt {

// The attribute keys a short name is taken from, in their order of preference. Two orders,
// each kept because what is compared with it was always made so:
// - kSearchShortNameOrder: the name a search by DN looks for in a certificate's simple
//   text (ShortNameOfDn), taken from the page's DN text;
// - kDisplayNameOrder: the name the platform shows for a certificate (its simple display
//   name, which finds an issuer among the stores), taken from the certificate's own name.
inline constexpr std::array<std::u16string_view, 4> kSearchShortNameOrder{u"CN", u"E", u"OU", u"O"};
inline constexpr std::array<std::u16string_view, 4> kDisplayNameOrder{u"CN", u"OU", u"O", u"E"};

// A space after every comma that has none, as the platform writes names.
std::u16string NormalizeDn(std::u16string_view dn);

// The DN cut at every occurrence of the separator; an empty separator leaves it whole.
// n occurrences give n+1 pieces, empty ones included.
std::vector<std::u16string> DnPieces(std::u16string_view dn, std::u16string_view separator);

// "C=CN, O=Org, CN=Name" and "C=CN,O=Org,CN=Name" both become "CN=Name, O=Org, C=CN"; a
// comma inside a value counts like any other (the page's rule above).
std::u16string ReverseDnOrder(std::u16string_view dn);

// The value after the first key of kSearchShortNameOrder that occurs ("CN=", else "E=", ...),
// up to the next comma; the whole DN when none of these keys occurs. Case-sensitive.
std::u16string ShortNameOfDn(std::u16string_view dn);

// Occurrences of `separator`, counted left to right without overlap; 0 for an empty one.
std::size_t CountSeparators(std::u16string_view dn, std::u16string_view separator);

// The exact-DN rule: a name matches when its whole text equals the DN with the platform's
// separators, and its simple text holds the DN's short name without regard to case (the
// platform's search by string, which comes first there and is tested here second, as the
// dearer test).
class ExactDn {
 public:
  explicit ExactDn(std::u16string_view dn);
  bool Matches(std::u16string_view nameText, std::u16string_view simpleText) const;

 private:
  std::u16string normal_;
  std::u16string shortName_;
};

}  // namespace velsor::crypt
