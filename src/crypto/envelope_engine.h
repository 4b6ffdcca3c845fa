#pragma once
// Digital envelopes as Base64 PKCS#7: content encrypted for one recipient, optionally
// signed by the user first, and their opening with a private key of the user. Envelopes
// are never compressed.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "certs/cert_info.h"
#include "certs/cert_selection.h"
#include "platform/base/bytes.h"
#include "platform/base/win_types.h"
#include "platform/crypt/enveloped_message.h"
#include "platform/ui/dialog_host.h"

namespace velsor::crypto {

struct EnvelopeSettings {
  std::string_view symmetricOid;
  std::string_view digestOid{};   // the signer's digest, when signing too
  bool signatureKeyOnly = false;  // applies to the signer, never to the recipient
  certs::ChooserSetting chooser;
};

struct SealedEnvelope {
  std::int32_t status = 0;
  std::string base64{};  // line feed after every 64 characters and at the end
  certs::CertInfo signerInfo{};
  certs::CertInfo recipientInfo{};
  std::optional<LONG> lastError{};  // set when the encrypting call itself failed
};

struct OpenedEnvelopeResult {
  std::int32_t status = 0;
  // Handed out as soon as the message is decrypted, so also when the signer's
  // certificate is then judged unacceptable.
  std::optional<Bytes> content{};
  certs::CertInfo signerInfo{};
  certs::CertInfo recipientInfo{};
  std::optional<LONG> lastError{};  // set when the decrypting call itself failed
};

// The recipient is looked for in "CA", "ROOT" and "AddressBOOK", never in "MY"; without
// a DN the user chooses.
SealedEnvelope EncryptEnvelope(std::optional<ByteView> content, bool serverMode,
                               std::u16string_view recipientDn, std::u16string_view dnSeparator,
                               const EnvelopeSettings& settings);

// The signer comes from "MY" and is chosen first; then the recipient as above.
SealedEnvelope SignAndEncryptEnvelope(std::optional<ByteView> content, bool serverMode,
                                      std::u16string_view signerDn, std::u16string_view recipientDn,
                                      std::u16string_view dnSeparator,
                                      const EnvelopeSettings& settings);

// For a certificate the page hands over as Base64 DER; no store is searched.
SealedEnvelope EncryptFileForCertificate(std::optional<ByteView> content,
                                         std::string_view certificateBase64,
                                         std::string_view symmetricOid);

// What opening an envelope may ask the user: the consent to use the key and a token's PIN.
struct KeyUse {
  crypt::KeyUseApproval approve{};
  // Asked instead when the user holds no key for the message: a page must not learn
  // whether the user holds one before the user allows it.
  std::function<bool()> approveWithoutKey{};
  PinPrompt pin{};
};

// When the dialogs serve a web page, the user confirms each use of a private key, naming
// the page and the certificate, and is asked alike when no key of theirs opens the
// message (refused, both give the user-cancelled code); nothing is asked for a program on
// this machine. A token's PIN is asked through the same dialogs.
KeyUse KeyUseThrough(ui::DialogHost& dialogs);

// A use of the key that the approval refuses gives the user-cancelled code.
OpenedEnvelopeResult DecryptEnvelope(std::optional<std::string_view> message,
                                     const KeyUse& keyUse = {});

// Decrypts, checks the signature and then judges the signer's certificate with all
// chain tests.
OpenedEnvelopeResult DecryptAndVerifyEnvelope(std::optional<std::string_view> message,
                                              const KeyUse& keyUse = {});

}  // namespace velsor::crypto
