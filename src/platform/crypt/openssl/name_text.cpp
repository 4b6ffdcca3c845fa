#include "platform/crypt/name_text.h"

#include <openssl/asn1.h>
#include <openssl/objects.h>

#include <array>
#include <memory>
#include <string_view>

#include "platform/base/hex.h"
#include "platform/codepage/utf.h"
#include "platform/crypt/dn_text.h"
#include "platform/crypt/openssl/cert_context_openssl.h"
#include "platform/crypt/openssl/name_text_openssl.h"
#include "platform/crypt/openssl/openssl_ptr.h"

namespace velsor::crypt {
namespace {

struct ShortKey {
  int nid;
  std::u16string_view key;
};

constexpr std::array kShortKeys{
    ShortKey{NID_commonName, u"CN"},
    ShortKey{NID_localityName, u"L"},
    ShortKey{NID_organizationName, u"O"},
    ShortKey{NID_organizationalUnitName, u"OU"},
    ShortKey{NID_pkcs9_emailAddress, u"E"},
    ShortKey{NID_countryName, u"C"},
    ShortKey{NID_stateOrProvinceName, u"S"},
    ShortKey{NID_streetAddress, u"STREET"},
    ShortKey{NID_title, u"T"},
    ShortKey{NID_givenName, u"G"},
    ShortKey{NID_initials, u"I"},
    ShortKey{NID_surname, u"SN"},
    ShortKey{NID_domainComponent, u"DC"},
    ShortKey{NID_serialNumber, u"SERIALNUMBER"},
    ShortKey{NID_postalCode, u"PostalCode"},
    ShortKey{NID_description, u"Description"},
    ShortKey{NID_dnQualifier, u"dnQualifier"},
};

std::u16string KeyOf(const ASN1_OBJECT* object) {
  const int nid = OBJ_obj2nid(object);
  for (const ShortKey& key : kShortKeys) {
    if (key.nid == nid && nid != NID_undef) return std::u16string(key.key);
  }
  char dotted[128];
  const int length = OBJ_obj2txt(dotted, sizeof dotted, object, 1);
  std::u16string text = u"OID.";
  for (int i = 0; i < length && i < static_cast<int>(sizeof dotted) - 1; ++i)
    text.push_back(dotted[i]);
  return text;
}

int NidOf(std::u16string_view key) {
  for (const ShortKey& known : kShortKeys) {
    if (known.key == key) return known.nid;
  }
  return NID_undef;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::u16string Quoted(std::u16string_view value) {
  const bool quote =
      !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                         value.find_first_of(u",+=\"\n<>#;") != std::u16string_view::npos);
  if (!quote) return std::u16string(value);
  std::u16string text = u"\"";
  for (char16_t c : value) {
    if (c == u'"') text.push_back(u'"');
    text.push_back(c);
  }
  text.push_back(u'"');
  return text;
}

std::u16string FromCodePoints(const unsigned char* data, int length, int unitSize) {
  std::u16string text;
  for (int i = 0; i + unitSize <= length; i += unitSize) {
    char32_t c = 0;
    for (int b = 0; b < unitSize; ++b) c = (c << 8) | data[i + b];
    if (unitSize == 2 || c < 0x10000) {
      text.push_back(static_cast<char16_t>(c));
    } else if (c <= 0x10FFFF) {
      c -= 0x10000;
      text.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      text.push_back(u'\uFFFD');
    }
  }
  return text;
}

// Walks a name RDN by RDN: `visit(attributeIndexInRdn, entry)` for each attribute, and
// `newRdn()` between RDNs.
bool IsStringValue(const ASN1_STRING* value) {
  switch (ASN1_STRING_type(value)) {
    case V_ASN1_UTF8STRING:
    case V_ASN1_BMPSTRING:
    case V_ASN1_UNIVERSALSTRING:
    case V_ASN1_T61STRING:
    case V_ASN1_PRINTABLESTRING:
    case V_ASN1_IA5STRING:
    case V_ASN1_NUMERICSTRING:
    case V_ASN1_VISIBLESTRING:
    case V_ASN1_VIDEOTEXSTRING:
    case V_ASN1_GENERALSTRING:
    case V_ASN1_GRAPHICSTRING:
      return true;
    default:
      return false;
  }
}

// "#" and the hex of the value's DER, as names are written for values that are not text (a
// BIT STRING unique identifier, say): their bytes read as characters would be nonsense,
// NULs included.
std::u16string HexValueText(const ASN1_STRING* value) {
  using TypePtr = std::unique_ptr<ASN1_TYPE, OpenSslFree<ASN1_TYPE_free>>;
  TypePtr any(ASN1_TYPE_new());
  unsigned char* raw = nullptr;
  const int length = any && ASN1_TYPE_set1(any.get(), ASN1_STRING_type(value), value) == 1
                         ? i2d_ASN1_TYPE(any.get(), &raw)
                         : -1;
  const OpenSslMemoryPtr<unsigned char> der(raw);
  std::u16string text = u"#";
  for (int i = 0; i < length; ++i) AppendHexByte(text, der.get()[i], HexCase::Upper);
  return text;
}

template <class Visit, class NewRdn>
void WalkName(const X509_NAME* name, Visit&& visit, NewRdn&& newRdn) {
  const int count = X509_NAME_entry_count(name);
  int previousSet = -1;
  for (int i = 0; i < count; ++i) {
    const X509_NAME_ENTRY* entry = X509_NAME_get_entry(name, i);
    const int set = X509_NAME_ENTRY_set(entry);
    if (i > 0 && set != previousSet) newRdn();
    visit(i > 0 && set == previousSet, entry);
    previousSet = set;
  }
}

std::u16string NameText(const X509_NAME* name, std::u16string_view separator, bool withKeys) {
  std::u16string text;
  WalkName(
      name,
      [&](bool sameRdn, const X509_NAME_ENTRY* entry) {
        if (sameRdn) text += u" + ";
        if (withKeys) {
          text += KeyOf(X509_NAME_ENTRY_get_object(entry));
          text += u'=';
        }
        const ASN1_STRING* value = X509_NAME_ENTRY_get_data(entry);
        // A value written as "#" and hex is never quoted: the "#" is what marks it.
        text +=
            IsStringValue(value) ? Quoted(AttributeValueText(value)) : AttributeValueText(value);
      },
      [&] { text += separator; });
  return text;
}

std::u16string_view SeparatorText(NameSeparator separator) {
  return separator == NameSeparator::CrLf ? u"\r\n" : u", ";
}

}  // namespace

std::u16string AttributeValueText(const ASN1_STRING* value) {
  if (value == nullptr) return {};
  if (!IsStringValue(value)) return HexValueText(value);
  const unsigned char* data = ASN1_STRING_get0_data(value);
  const int length = ASN1_STRING_length(value);
  switch (ASN1_STRING_type(value)) {
    case V_ASN1_UTF8STRING:
      return codepage::Utf8ToUtf16(
          std::string_view(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length)));
    case V_ASN1_BMPSTRING:
      return FromCodePoints(data, length, 2);
    case V_ASN1_UNIVERSALSTRING:
      return FromCodePoints(data, length, 4);
    case V_ASN1_T61STRING:
      // Teletex in the wild is mostly UTF-8 mislabelled; what is not valid UTF-8 is Latin-1.
      if (auto wide = codepage::WellFormedUtf8ToUtf16(std::string_view(
              reinterpret_cast<const char*>(data), static_cast<std::size_t>(length)))) {
        return std::move(*wide);
      }
      return FromCodePoints(data, length, 1);
    default:
      // Printable, IA5, Numeric, Visible and the other one-byte strings.
      return FromCodePoints(data, length, 1);
  }
}

std::u16string X500NameText(const X509_NAME* name, NameSeparator separator) {
  return NameText(name, SeparatorText(separator), true);
}

std::u16string SimpleNameText(const X509_NAME* name) { return NameText(name, u", ", false); }

std::u16string SimpleDisplayName(const X509_NAME* name) {
  for (std::u16string_view key : kDisplayNameOrder) {
    const int at = X509_NAME_get_index_by_NID(name, NidOf(key), -1);
    if (at >= 0) return AttributeValueText(X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, at)));
  }
  if (X509_NAME_entry_count(name) == 0) return {};
  return AttributeValueText(X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, 0)));
}

std::u16string SubjectText(const CertContext& certificate, NameSeparator separator) {
  return X500NameText(SubjectNameOf(certificate), separator);
}

std::u16string IssuerText(const CertContext& certificate, NameSeparator separator) {
  return X500NameText(IssuerNameOf(certificate), separator);
}

std::u16string SubjectSimpleText(const CertContext& certificate) {
  return SimpleNameText(SubjectNameOf(certificate));
}

std::u16string IssuerSimpleText(const CertContext& certificate) {
  return SimpleNameText(IssuerNameOf(certificate));
}

std::u16string IssuerDisplayName(const CertContext& certificate) {
  return SimpleDisplayName(IssuerNameOf(certificate));
}

}  // namespace velsor::crypt
