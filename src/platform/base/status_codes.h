#pragma once
// The status codes a page reads in errorNum; 0 is success. The engines report them in their
// results, and a lower layer's Result carries one where its failure is one a page sees.

#include <cstdint>

namespace velsor::status {

inline constexpr std::int32_t kOk = 0;
// A failure with no code of its own: a form text not in its format, a file not read or
// not saved.
inline constexpr std::int32_t kFailed = -1;
inline constexpr std::int32_t kNoMemory = -10000;
inline constexpr std::int32_t kMissingInput = -10001;
inline constexpr std::int32_t kBase64DecodeFailed = -10002;
inline constexpr std::int32_t kBase64EncodeFailed = -10003;
inline constexpr std::int32_t kUserCancelled = -10004;
inline constexpr std::int32_t kNoCertificate = -10005;
inline constexpr std::int32_t kNoDetachedContent = -10006;
inline constexpr std::int32_t kNoSaveDirectory = kNoDetachedContent;  // in the registry
inline constexpr std::int32_t kMessageUndecodable = -10007;
inline constexpr std::int32_t kWrongDetailType = -10008;
inline constexpr std::int32_t kNoSignerCertificate = -10009;
inline constexpr std::int32_t kBadSignature = -10010;
inline constexpr std::int32_t kOutsideValidity = -10011;
inline constexpr std::int32_t kRevoked = -10012;
inline constexpr std::int32_t kChainRejected = -10013;
inline constexpr std::int32_t kIssuerNotFound = -10014;
inline constexpr std::int32_t kNoPrivateKey = -10015;
inline constexpr std::int32_t kNotText = -10016;  // no issuer name; a field that cannot be text
inline constexpr std::int32_t kBadIssuerSignature = -10017;
inline constexpr std::int32_t kStoreUnavailable = -10018;
inline constexpr std::int32_t kNoProviderContext = -10019;
inline constexpr std::int32_t kSigningFailed = -10020;
inline constexpr std::int32_t kVerificationFailed = -10021;
inline constexpr std::int32_t kEncryptionFailed = -10022;
inline constexpr std::int32_t kDecryptionFailed = -10023;
inline constexpr std::int32_t kNoSuchExtension = -10026;
inline constexpr std::int32_t kKeyProvInfoUnreadable = -10027;
inline constexpr std::int32_t kPublicKeyUnimportable = -10028;
inline constexpr std::int32_t kNoHashObject = -10029;
inline constexpr std::int32_t kHashingFailed = -10030;
inline constexpr std::int32_t kHashSigningFailed = -10031;
inline constexpr std::int32_t kRawSignatureMismatch = -10032;
inline constexpr std::int32_t kUnusableAlgorithm = -10033;
inline constexpr std::int32_t kNoSeparator = -10024;
inline constexpr std::int32_t kTooManySeparators = -10025;
inline constexpr std::int32_t kNotInCodePage = -10034;
inline constexpr std::int32_t kCertificateUndecodable = -10035;
inline constexpr std::int32_t kNotFromCodePage = -10036;
inline constexpr std::int32_t kMessageNotDecodable = -10037;  // hand-parsed messages
inline constexpr std::int32_t kUnexpectedMessageType = -10038;
inline constexpr std::int32_t kSmartCardCancelled = -10051;
inline constexpr std::int32_t kSmartCardTimedOut = -10052;
inline constexpr std::int32_t kNoKeyProvInfo = -10053;
inline constexpr std::int32_t kDerEncodingFailed = -10054;
inline constexpr std::int32_t kBufferCopyFailed = -10055;
inline constexpr std::int32_t kDnTooLong = -10056;
inline constexpr std::int32_t kDnInvalid = -10057;
inline constexpr std::int32_t kFormTextTooLarge = -10058;

}  // namespace velsor::status
