#pragma once
// Everything a control object remembers between calls, with its defaults at creation.

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "certs/cert_info.h"
#include "crypto/transport.h"
#include "platform/base/win_types.h"
#include "platform/crypt/user_data.h"
#include "platform/ui/dialog_host.h"

namespace velsor::control {

// The eight chooser texts in the order the page sets them and the chooser receives them.
inline constexpr std::size_t kPromptTextCount = 8;

struct DialogPromptTexts {
  std::array<std::u16string, kPromptTextCount> texts{
      u"请选择您要用的证书",
      u"请在列表中选择证书",
      u"主题",
      u"颁发者",
      u"截止日期",
      u"确定",
      u"取消",
      u"查看",
  };
  std::u16string copyRightInfo{
      u"Velsor 数字证书签名控件\r\n"
      u"版权所有 (C) Tolvane Velsor 开发组\r\n"
      u"请妥善保管您的证书和私钥"};
};

// Which stored certificate details a method fills, and so clears when it fails.
enum class CertDetailSets { None, Signer, Recipient, SignerAndRecipient };

inline constexpr LONG kDefaultMaxCompSize = crypto::kDefaultCompressThreshold;
inline constexpr ULONG kDefaultCodePage = 936;

struct ControlState {
  LONG errorNum = 0;
  // Platform error of the last failed engine operation; no success resets it.
  LONG errorCode = 0;
  std::optional<std::u16string> errMsg;

  LONG MaxCompSize = kDefaultMaxCompSize;
  std::u16string DNspliter = u"|";
  bool serverMode = false;
  ULONG codePage = kDefaultCodePage;
  std::string digestAlgOid = "1.3.14.3.2.26";
  std::string symmetricAlgOid = "1.2.840.113549.3.4";

  // Code-page bytes; absent and held-but-empty are different states. A verified content
  // stays in the buffer its message was decoded into, hence bytes.
  std::optional<std::string> pendingPlainText;
  std::optional<Bytes> extractedPlainText;

  certs::CertInfo signerCertInfo;
  certs::CertInfo reciptCertInfo;

  DialogPromptTexts DialogPrompts;

  // The dialogs the object shows; made on first use from VELSOR_UI unless set before.
  std::shared_ptr<ui::DialogHost> dialogHost;

  // The user's data stays open from the first call that reads it to the object's end.
  crypt::UserSession userData;
};

}  // namespace velsor::control
