#include "certs/choose_cert_dlg.h"

#include <vector>

#include "platform/file/file_service.h"

namespace velsor::certs {
namespace {

namespace fs = std::filesystem;

// The chooser compares at most this many characters of a cell.
constexpr std::size_t kSortedCharacters = 256;
// Paths of the viewing file never grow past this many characters.
constexpr std::size_t kMaxTemporaryPath = 128;

}  // namespace

CChooseCertDlg::CChooseCertDlg(std::span<const crypt::CertStore> stores, std::int32_t entryCount,
                               const CertEntryList& entries, const ChooserTexts& texts,
                               ui::DialogHost& host)
    : entryCount_(entryCount), entries_(entries), texts_(texts), stores_(stores), host_(host) {}

CChooseCertDlg::~CChooseCertDlg() {
  if (temporaryFile_) file::RemoveFile(*temporaryFile_);
}

std::int32_t CChooseCertDlg::DoModal() {
  host_.RunChooser(*this);
  return result_;
}

void CChooseCertDlg::OnInitDialog(ui::ChooserWindow& window) {
  if (!Text(ChooserText::Title).empty()) window.SetCaption(Text(ChooserText::Title));
  window.SetColumns({Text(ChooserText::SubjectHeader), Text(ChooserText::IssuerHeader),
                     Text(ChooserText::ExpiryHeader)});
  if (entryCount_ != 0 && entries_.Count() == entryCount_ * kNodesPerEntry) {
    for (std::int32_t entry = 0; entry < entryCount_; ++entry) {
      window.AddRow({entries_.EntryText(entry, EntryField::SubjectName).value_or(u""),
                     entries_.EntryText(entry, EntryField::IssuerName).value_or(u""),
                     entries_.EntryText(entry, EntryField::Expiry).value_or(u"")},
                    entry);
    }
  }
  window.SetPrompt(Text(ChooserText::Prompt));
  window.SetButtonTexts(Text(ChooserText::Ok), Text(ChooserText::Cancel), Text(ChooserText::View));
  window.SetCopyright(Text(ChooserText::Copyright));
}

void CChooseCertDlg::OnOk(ui::ChooserWindow& window) {
  // The row's item data names the entry, so a sorted list still gives the right one.
  if (const auto entry = window.SelectedItemData()) result_ = *entry * kNodesPerEntry + 4;
  window.Close();
}

void CChooseCertDlg::OnCancel(ui::ChooserWindow& window) { window.Close(); }

void CChooseCertDlg::OnColumnClick(ui::ChooserWindow& window, std::size_t column) {
  // The texts are read before the rows move, so that no backend is asked about a row in
  // the middle of its sort.
  std::vector<std::u16string> texts;
  for (std::int32_t entry = 0; entry < entryCount_; ++entry) {
    texts.push_back(window.CellText(entry, column).substr(0, kSortedCharacters));
  }
  const auto textOf = [&](int entry) -> const std::u16string& {
    static const std::u16string kNone;
    return entry >= 0 && static_cast<std::size_t>(entry) < texts.size()
               ? texts[static_cast<std::size_t>(entry)]
               : kNone;
  };
  const bool descending = sortDescending_;
  window.SortRows([&](int first, int second) {
    return descending ? textOf(second) < textOf(first) : textOf(first) < textOf(second);
  });
  sortDescending_ = !sortDescending_;
}

void CChooseCertDlg::OnDoubleClick(ui::ChooserWindow& window) { OnView(window); }

void CChooseCertDlg::OnView(ui::ChooserWindow& window) {
  const auto entry = window.SelectedItemData();
  if (!entry) {
    window.ShowMessage(kNoCertificateSelected, u"");
    return;
  }
  const auto certificate = entries_.ResolveEntry(*entry, stores_);
  if (!certificate) return;
  if (temporaryFile_) {
    file::RemoveFile(*temporaryFile_);
    temporaryFile_.reset();
  }
  if (auto written = WriteTemporaryCertificate(*certificate, window)) {
    temporaryFile_ = *written;
    host_.OpenWithViewer(*written);
  }
}

std::optional<fs::path> CChooseCertDlg::WriteTemporaryCertificate(
    const crypt::CertContext& certificate, ui::ChooserWindow& window) {
  const fs::path base = file::UserTemporaryFolder();
  const fs::path folder = base / "Tolvane" / "Velsor";
  const fs::path viewed = folder / "temp.cer";
  if (viewed.native().size() > kMaxTemporaryPath) return std::nullopt;
  // A Tolvane folder that someone else owns could have ours swapped under it: refuse it.
  if (!file::EnsurePrivateFolder(base / "Tolvane") || !file::EnsurePrivateFolder(folder)) {
    window.ShowMessage(kCreateTemporaryFileFailed, u"");
    return std::nullopt;
  }
  if (!file::WritePrivateFile(viewed, certificate.encoded())) return std::nullopt;
  return viewed;
}

}  // namespace velsor::certs
