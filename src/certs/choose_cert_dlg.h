#pragma once
// The certificate chooser: a modal list of candidate certificates (subject, issuer,
// expiry) that the user can sort by any column, view one of in the desktop's certificate
// viewer, and choose one from. The dialog's logic lives here; the dialog host only draws
// it and reports what the user does.

#include <array>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "certs/cert_entry_list.h"
#include "platform/crypt/cert_store.h"
#include "platform/ui/dialog_host.h"

namespace velsor::certs {

// The nine texts a page may set, in the order they are passed along.
enum class ChooserText {
  Title,
  Prompt,
  SubjectHeader,
  IssuerHeader,
  ExpiryHeader,
  Ok,
  Cancel,
  View,
  Copyright
};
inline constexpr std::size_t kChooserTextCount = 9;
using ChooserTexts = std::array<std::u16string, kChooserTextCount>;

inline constexpr std::u16string_view kNoCertificateSelected = u"No certificate selected.";
inline constexpr std::u16string_view kCreateTemporaryFileFailed = u"Create temporary file failed";

class CChooseCertDlg final : public ui::ChooserHandlers {
 public:
  // The entry list and the stores stay the caller's.
  CChooseCertDlg(std::span<const crypt::CertStore> stores, std::int32_t entryCount,
                 const CertEntryList& entries, const ChooserTexts& texts, ui::DialogHost& host);
  ~CChooseCertDlg();
  CChooseCertDlg(const CChooseCertDlg&) = delete;
  CChooseCertDlg& operator=(const CChooseCertDlg&) = delete;

  // Shows the dialog until the user closes it; the result then holds the chosen entry k
  // as its list position 5k+4, or -1.
  std::int32_t DoModal();
  std::int32_t result() const { return result_; }
  // The certificate file last written for viewing, while the dialog exists.
  const std::optional<std::filesystem::path>& temporaryFile() const { return temporaryFile_; }

  void OnInitDialog(ui::ChooserWindow& window) override;
  void OnOk(ui::ChooserWindow& window) override;
  void OnCancel(ui::ChooserWindow& window) override;
  void OnView(ui::ChooserWindow& window) override;
  void OnColumnClick(ui::ChooserWindow& window, std::size_t column) override;
  void OnDoubleClick(ui::ChooserWindow& window) override;

 private:
  const std::u16string& Text(ChooserText which) const {
    return texts_[static_cast<std::size_t>(which)];
  }
  std::optional<std::filesystem::path> WriteTemporaryCertificate(
      const crypt::CertContext& certificate, ui::ChooserWindow& window);

  std::int32_t entryCount_;
  const CertEntryList& entries_;
  ChooserTexts texts_;
  std::optional<std::filesystem::path> temporaryFile_;
  std::span<const crypt::CertStore> stores_;
  ui::DialogHost& host_;
  bool sortDescending_ = true;  // shared by all columns
  std::int32_t result_ = -1;
};

}  // namespace velsor::certs
