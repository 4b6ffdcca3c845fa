// The members that work on files: verifying a signed file and saving its content, taking
// a file as the data to encrypt, and saving the encrypted file.

#include "control/cert_info_store.h"
#include "control/code_page_text.h"
#include "control/engine_inputs.h"
#include "control/method_frame.h"
#include "control/tolvane_velsor.h"
#include "crypto/envelope_engine.h"
#include "crypto/verify_engine.h"
#include "files/file_operations.h"

namespace velsor {

using control::CertDetailSets;
using control::FrameRules;
using control::MethodFrame;
using control::Raise;
namespace messages = control::messages;

namespace {

constexpr std::u16string_view kSignedFileEnding = u".sign";

}  // namespace

HRESULT CTolvaneVelsor::VLAttachedVerifySignedFile(BSTR fileName) {
  return MethodFrame(state_, {}, nullptr).Run([&] {
    const files::FileContents read = control::ReadNamedOrChosenFile(state_, fileName);
    crypto::VerifyResult verified =
        crypto::VerifySignedMessage(AsText(read.data), crypto::VerifyMode::Attached);
    control::RaiseIfEngineFailed(verified.status, verified.lastError,
                                 messages::kVerificationFailed);
    control::StoreCertInfo(state_.signerCertInfo, std::move(verified.signerInfo));
    // "order.sign" is saved as "order" unless the user says otherwise.
    std::u16string_view proposed;
    if (!verified.content.empty() && read.name.ends_with(kSignedFileEnding)) {
      proposed =
          std::u16string_view(read.name).substr(0, read.name.size() - kSignedFileEnding.size());
    }
    if (!files::SaveFileByDialog(control::DialogsOf(state_), u"Save", u"*.*", proposed,
                                 verified.content)) {
      Raise(status::kFailed, messages::kSaveFileFailed);
    }
  });
}

HRESULT CTolvaneVelsor::VLAddFileForEncrypt(BSTR fileName) {
  return MethodFrame(state_, {}, nullptr).Run([&] {
    files::FileContents read = control::ReadNamedOrChosenFile(state_, fileName);
    state_.pendingPlainText = std::string(AsText(read.data));
  });
}

HRESULT CTolvaneVelsor::VLEncryptFileAndSave(BSTR base64Certificate) {
  const FrameRules rules{CertDetailSets::Recipient, true};
  return MethodFrame(state_, rules, nullptr).Run([&] {
    const std::string content = control::TakePendingContent(state_);
    const std::string certificate =
        control::ArgumentContent(state_, base64Certificate, messages::kConversionFailed);
    // The encrypted file can only be saved through the dialog.
    if (state_.serverMode) Raise(status::kMissingInput, messages::kSourceEmpty);
    const crypto::SealedEnvelope sealed =
        crypto::EncryptFileForCertificate(AsBytes(content), certificate, state_.symmetricAlgOid);
    control::RaiseIfEngineFailed(sealed.status, sealed.lastError, messages::kEncryptionFailed);
    if (!files::SaveFileByDialogExt(control::DialogsOf(state_), u"Save", u"*.cry", u"cry",
                                    AsBytes(sealed.base64))) {
      Raise(status::kUserCancelled, messages::kUserCancelled);
    }
  });
}

}  // namespace velsor
