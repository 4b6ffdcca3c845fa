// A page's DN and serial-number arguments: the checks, cutting at the separator, the
// reversed RDN order, the short name, serial lists, and the selections that match them
// against the user's stores in server mode. The input is UTF-16, two bytes a unit; its
// first unit is the separator.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "certs/cert_selection.h"
#include "platform/crypt/dn_text.h"
#include "control/dn_checks.h"
#include "fuzz_home.h"
#include "platform/ui/dialog_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velsor;
  fuzzing::PrepareFuzzHome();
  std::u16string text(size / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  }
  if (text.empty()) return 0;
  const std::u16string separator(1, text.front());
  const std::u16string_view dn = std::u16string_view(text).substr(1);

  control::DnIsValid(dn);
  crypt::CountSeparators(dn, separator);
  const auto pieces = crypt::DnPieces(dn, separator);
  if (pieces.empty()) std::abort();
  crypt::ReverseDnOrder(dn);
  crypt::NormalizeDn(dn);
  crypt::ShortNameOfDn(dn);
  if (certs::ParseSerialNumbers(dn).size() > certs::kMaxSerialNumbers) std::abort();

  static const std::vector<crypt::CertStore> stores{*crypt::CertStore::Open(u"MY"),
                                                    *crypt::CertStore::Open(u"AddressBOOK")};
  static const auto host = ui::MakeNoDialogHost();
  static const certs::ChooserTexts texts{};
  const certs::ChooserSetting chooser{texts, *host};
  certs::FindCertBySubject(stores, dn, separator);
  certs::FindCertBySubjectDn(stores, dn);
  certs::SelectCertBySubject(std::span(stores).first(1), dn, separator, false, chooser);
  certs::SelectCertByIssuerSerial(stores, dn, dn, chooser);
  return 0;
}
