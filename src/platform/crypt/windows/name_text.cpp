// Name texts from the system's name formatting: the X500 form is CertNameToStr's, the
// simple form its values-only variant, as the string searches have always matched them.

#include "platform/crypt/name_text.h"

#include <string_view>
#include <vector>

#include "platform/base/der.h"
#include "platform/base/hex.h"
#include "system_cert.h"

namespace velsor::crypt {
namespace {

std::u16string SystemNameText(ByteView name, DWORD form) {
  CERT_NAME_BLOB blob{static_cast<DWORD>(name.size()), const_cast<BYTE*>(name.data())};
  const DWORD length = CertNameToStrW(X509_ASN_ENCODING, &blob, form, nullptr, 0);
  if (length <= 1) return {};
  std::vector<wchar_t> text(length);
  CertNameToStrW(X509_ASN_ENCODING, &blob, form, text.data(), length);
  return FromWide(text.data());
}

bool IsStringTag(std::int32_t tag) {
  switch (tag) {
    case 12:
    case 18:
    case 19:
    case 20:
    case 21:
    case 22:
    case 25:
    case 26:
    case 27:
    case 28:
    case 30:
      return true;
    default:
      return false;
  }
}

// A name of one attribute: SEQUENCE { SET { SEQUENCE { type, value } } }.
Bytes OneAttributeName(ByteView type, ByteView value) {
  Bytes attribute(type.begin(), type.end());
  attribute.insert(attribute.end(), value.begin(), value.end());
  Bytes wrapped = attribute;
  for (const std::int32_t tag : {der::kTagSequence, der::kTagSet, der::kTagSequence}) {
    Bytes outer;
    der::AppendIdentifier(outer, der::kConstructed, tag);
    der::AppendLength(outer, static_cast<std::int32_t>(wrapped.size()));
    outer.insert(outer.end(), wrapped.begin(), wrapped.end());
    wrapped = std::move(outer);
  }
  return wrapped;
}

// One attribute as the system writes it; a value that is not a string, which the system
// writes as "#" and its DER in hex (Wine writes nothing for the whole name), is written so
// here, after the key the system gives its type.
std::u16string AttributeText(ByteView type, ByteView value, std::int32_t valueTag, DWORD form) {
  const bool withKey = (form & CERT_X500_NAME_STR) != 0;
  if (IsStringTag(valueTag)) return SystemNameText(OneAttributeName(type, value), form);
  std::u16string hex = u"#";
  for (const std::uint8_t byte : value) AppendHexByte(hex, byte, HexCase::Upper);
  if (!withKey) return hex;
  const std::uint8_t placeholder[] = {0x13, 0x01, 'x'};  // PrintableString "x"
  std::u16string keyed = SystemNameText(OneAttributeName(type, placeholder), form);
  if (keyed.size() < 2 || !keyed.ends_with(u"=x")) return hex;
  keyed.resize(keyed.size() - 1);
  return keyed + hex;
}

// The name attribute by attribute, for a name the system does not write whole.
std::u16string NameTextByAttribute(ByteView name, DWORD form) {
  const std::u16string_view separator = (form & CERT_NAME_STR_CRLF_FLAG) != 0 ? u"\r\n" : u", ";
  // Names come from certificates, which are read as BER, as the system reads them.
  constexpr auto kBer = der::Encoding::Ber;
  der::Cursor outer(name, kBer);
  const auto rdns = outer.Read(der::kSequence);
  if (!rdns) return {};
  std::u16string text;
  der::Cursor sets(*rdns, kBer);
  while (sets.remaining() > 0) {
    const auto set = sets.Read(der::kSet);
    if (!set) return {};
    if (!text.empty()) text += separator;
    der::Cursor attributes(*set, kBer);
    for (bool first = true; attributes.remaining() > 0; first = false) {
      const auto attribute = attributes.Read(der::kSequence);
      if (!attribute) return {};
      der::Cursor parts(*attribute, kBer);
      ByteView type, value;
      der::Header header;
      if (!parts.Read(der::kObjectIdentifier, &type) || !parts.ReadElement(header, &value)) {
        return {};
      }
      if (!first) text += u" + ";
      text += AttributeText(type, value, header.tag.number, form);
    }
  }
  return text;
}

std::u16string NameText(const CERT_NAME_BLOB& name, DWORD form) {
  const ByteView encoded(name.pbData, name.cbData);
  std::u16string text = SystemNameText(encoded, form);
  return text.empty() ? NameTextByAttribute(encoded, form) : text;
}

DWORD X500Form(NameSeparator separator) {
  return CERT_X500_NAME_STR | (separator == NameSeparator::CrLf ? CERT_NAME_STR_CRLF_FLAG : 0);
}

}  // namespace

std::u16string SubjectText(const CertContext& certificate, NameSeparator separator) {
  return NameText(SystemContextOf(certificate)->pCertInfo->Subject, X500Form(separator));
}

std::u16string IssuerText(const CertContext& certificate, NameSeparator separator) {
  return NameText(SystemContextOf(certificate)->pCertInfo->Issuer, X500Form(separator));
}

std::u16string SubjectSimpleText(const CertContext& certificate) {
  return NameText(SystemContextOf(certificate)->pCertInfo->Subject, CERT_SIMPLE_NAME_STR);
}

std::u16string IssuerSimpleText(const CertContext& certificate) {
  return NameText(SystemContextOf(certificate)->pCertInfo->Issuer, CERT_SIMPLE_NAME_STR);
}

std::u16string IssuerDisplayName(const CertContext& certificate) {
  PCCERT_CONTEXT context = SystemContextOf(certificate);
  const DWORD length = CertGetNameStringW(context, CERT_NAME_SIMPLE_DISPLAY_TYPE,
                                          CERT_NAME_ISSUER_FLAG, nullptr, nullptr, 0);
  if (length <= 1) return {};
  std::vector<wchar_t> text(length);
  CertGetNameStringW(context, CERT_NAME_SIMPLE_DISPLAY_TYPE, CERT_NAME_ISSUER_FLAG, nullptr,
                     text.data(), length);
  return FromWide(text.data());
}

}  // namespace velsor::crypt
