#include "crypto/signed_data_codec.h"

#include <algorithm>
#include <array>
#include <limits>
#include <span>
#include <vector>

#include "crypto/ber_decoder.h"
#include "crypto/der_encoder.h"
#include "platform/base/hex.h"
#include "platform/base/status_codes.h"

namespace velsor::crypto {
namespace {

using namespace status;

constexpr std::array<std::int32_t, 7> kSignedDataType{1, 2, 840, 113549, 1, 7, 2};
constexpr std::array<std::int32_t, 7> kDataType{1, 2, 840, 113549, 1, 7, 1};
constexpr std::array<std::int32_t, 7> kRsaEncryption{1, 2, 840, 113549, 1, 1, 1};

struct DigestArcs {
  std::string_view oid;
  std::array<std::int32_t, 6> arcs;
};
constexpr std::array kDigests{
    DigestArcs{"1.2.840.113549.2.5", {1, 2, 840, 113549, 2, 5}},
    DigestArcs{"1.3.14.3.2.26", {1, 3, 14, 3, 2, 26}},
};

const DigestArcs* DigestByOid(std::string_view oid) {
  for (const DigestArcs& digest : kDigests) {
    if (digest.oid == oid) return &digest;
  }
  return nullptr;
}

const DigestArcs* DigestByArcs(std::span<const std::int32_t> arcs) {
  for (const DigestArcs& digest : kDigests) {
    if (std::ranges::equal(digest.arcs, arcs)) return &digest;
  }
  return nullptr;
}

template <std::size_t N>
bool ArcsAre(const std::array<std::int32_t, N>& expected, const std::vector<std::int32_t>& arcs,
             std::int32_t count) {
  return count == static_cast<std::int32_t>(N) && arcs.size() >= N &&
         std::equal(expected.begin(), expected.end(), arcs.begin());
}

std::int32_t Length(ByteView bytes) { return static_cast<std::int32_t>(bytes.size()); }

// The serial number's content octets as the certificate holds them, most significant
// first, in lower-case hex: a leading 00 stays, nothing is re-encoded.
std::string SerialText(const crypt::CertContext& certificate) {
  const Bytes& blob = certificate.serialBlob();
  return HexText(Bytes(blob.rbegin(), blob.rend()), HexCase::Lower);
}

}  // namespace

BuiltSignedData BuildSignedData(bool detached, ByteView content,
                                const crypt::CertContext& certificate, std::string_view digestOid,
                                ByteView signature) {
  constexpr auto kLimit = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
  if (content.size() > kLimit || signature.size() > kLimit) return {kNoMemory};
  DerContext version;
  if (!DerEncode(version, "i", 1)) return {kDerEncodingFailed};
  const DigestArcs* digest = DigestByOid(digestOid);
  if (digest == nullptr) return {kUnusableAlgorithm};
  DerContext digests;
  if (!DerEncode(digests, "[{On}]", digest->arcs.data(), 6)) return {kDerEncodingFailed};
  DerContext contentInfo;
  const Result<std::int32_t> written = detached ? DerEncode(contentInfo, "{O}", kDataType.data(), 7)
                                                : DerEncode(contentInfo, "{O(o)}", kDataType.data(),
                                                            7, 0, content.data(), Length(content));
  if (!written) return {kDerEncodingFailed};
  DerContext certificates;
  const ByteView encoded = certificate.encoded();
  if (!DerEncode(certificates, "(A)", 0, encoded.data(), Length(encoded))) {
    return {kDerEncodingFailed};
  }
  const std::string serial = SerialText(certificate);
  const ByteView issuer = certificate.encodedIssuer();
  DerContext signers;
  // Only the last piece is tested: a failure before it leaves the context unusable.
  DerEncode(signers, "[{i", 1);
  DerEncode(signers, "{AI}", issuer.data(), Length(issuer), serial.c_str(),
            static_cast<std::int32_t>(serial.size()));
  DerEncode(signers, "{On}", digest->arcs.data(), 6);
  DerEncode(signers, "{On}", kRsaEncryption.data(), 7);
  if (!DerEncode(signers, "o}]", signature.data(), Length(signature))) {
    return {kDerEncodingFailed};
  }
  const auto piece = [](const DerContext& context) { return context.Encoding(); };
  DerContext outer;
  if (!DerEncode(outer, "{O({AAAAA})}", kSignedDataType.data(), 7, 0, piece(version).data(),
                 Length(piece(version)), piece(digests).data(), Length(piece(digests)),
                 piece(contentInfo).data(), Length(piece(contentInfo)), piece(certificates).data(),
                 Length(piece(certificates)), piece(signers).data(), Length(piece(signers))) ||
      outer.HasOpenElements()) {
    return {kDerEncodingFailed};
  }
  const ByteView message = outer.Encoding();
  return {0, Bytes(message.begin(), message.end())};
}

ParsedSignedData ParseSignedData(ByteView message, bool wantContent) {
  std::vector<std::int32_t> arcs;
  std::int32_t count = 0;
  Bytes version, digests, certificates, signers;
  std::int32_t versionLength = 0, digestsLength = 0, certificatesLength = 0, signersLength = 0;
  // The message is read where it lies, and its content element is only looked at there,
  // so that a big content is copied once, into the result.
  BerContext outer(message);
  if (!BerDecode(outer, "{O({$$", &arcs, &count, &version, &versionLength, &digests,
                 &digestsLength)) {
    return {kMessageNotDecodable};
  }
  const std::size_t contentInfoAt = outer.position();
  if (!BerDecode(outer, "x")) return {kMessageNotDecodable};
  const ByteView contentInfo = message.subspan(contentInfoAt, outer.position() - contentInfoAt);
  if (!BerDecode(outer, "$$})}", &certificates, &certificatesLength, &signers, &signersLength)) {
    return {kMessageNotDecodable};
  }
  if (!ArcsAre(kSignedDataType, arcs, count)) return {kUnexpectedMessageType};

  // A contentInfo without content simply yields none.
  ParsedSignedData parsed;
  std::int32_t contentLength = -1;
  count = 0;
  BerContext inner(contentInfo);
  BerDecode(inner, "{O(o)}", &arcs, &count, &parsed.content, &contentLength);
  if (!ArcsAre(kDataType, arcs, count)) return {kUnexpectedMessageType};
  if (!wantContent && contentLength >= 0) return {kBadSignature};
  if (contentLength < 0) parsed.content.clear();

  std::int32_t signerVersion = 0, issuerLength = 0, serialLength = 0, signatureLength = 0;
  std::int32_t digestCount = 0, algorithmCount = 0;
  Bytes issuer;
  std::string serial;
  std::vector<std::int32_t> digestArcs, algorithmArcs;
  BerContext signer(signers);
  BerDecode(signer, "[{i", &signerVersion);
  BerDecode(signer, "{$I}", &issuer, &issuerLength, &serial, &serialLength);
  BerDecode(signer, "{On}", &digestArcs, &digestCount);
  BerDecode(signer, "{On}", &algorithmArcs, &algorithmCount);
  if (!BerDecode(signer, "o}]", &parsed.signature, &signatureLength)) {
    return {kMessageNotDecodable};
  }
  if (!ArcsAre(kRsaEncryption, algorithmArcs, algorithmCount)) return {kUnexpectedMessageType};
  if (digestCount != 6 || digestArcs.size() < 6) return {kUnexpectedMessageType};
  const DigestArcs* digest = DigestByArcs(std::span(digestArcs).first(6));
  if (digest == nullptr) return {kUnusableAlgorithm};
  parsed.digestOid = digest->oid;

  // The signer is the first certificate; issuerAndSerialNumber is not compared with it.
  Bytes first;
  std::int32_t firstLength = 0;
  BerContext carried(certificates);
  if (!BerDecode(carried, "($)", &first, &firstLength)) return {kMessageNotDecodable};
  auto certificate = crypt::CertContext::FromEncoded(first);
  if (!certificate) return {kCertificateUndecodable};
  parsed.certificate = std::move(*certificate);
  return parsed;
}

}  // namespace velsor::crypto
