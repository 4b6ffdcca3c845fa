#include "certs/cert_selection.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "certs/cert_text.h"
#include "fixtures/test_pki.h"
#include "platform/crypt/dn_text.h"
#include "platform/crypt/openssl/cert_context_openssl.h"
#include "platform/crypt/openssl/name_text_openssl.h"
#include "platform/ui/scripted_dialog_host.h"

namespace velsor::certs {
namespace {

using crypt::CertContextPtr;
using crypt::CertStore;
using testing::ScopedVelsorHome;
using testing::SharedTestPki;

constexpr char16_t kCaDn[] = u"C=CN, O=Velsor, CN=Velsor Test CA";

std::u16string Name(const CertContextPtr& certificate) {
  return certificate ? crypt::SimpleDisplayName(crypt::SubjectNameOf(*certificate)) : u"(none)";
}

std::vector<std::u16string> FirstColumn(const ui::ShownChooser& shown) {
  std::vector<std::u16string> names;
  for (const auto& row : shown.rows) names.push_back(row[0]);
  return names;
}

class SelectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SharedTestPki().Install();
    my.push_back(*CertStore::Open(u"MY"));
    for (auto name : {u"CA", u"ROOT", u"AddressBOOK"}) recipients.push_back(*CertStore::Open(name));
  }

  CertContextPtr BySubject(std::u16string_view dn, bool chooserWhenNone = false,
                           KeyFamily family = KeyFamily::Plain) {
    SubjectSelection selected = SelectCertBySubject(my, dn, u"|", chooserWhenNone, chooser, family);
    found = selected.matched;
    return selected.certificate;
  }

  ScopedVelsorHome home;
  std::vector<CertStore> my;
  std::vector<CertStore> recipients;
  ui::ScriptedDialogHost host;
  ChooserTexts texts{u"Pick one", u"Certificates:", u"Subject",
                     u"Issuer",   u"Expires",       u"Use",
                     u"Stop",     u"Look",          u"(c) line one\r\nline two"};
  ChooserSetting chooser{texts, host};
  bool found = false;
};

TEST_F(SelectionTest, OneMatchNeedsNoDialog) {
  EXPECT_EQ(Name(BySubject(u"CN=Alice Zhang")), u"Alice Zhang");
  EXPECT_TRUE(found);
  EXPECT_TRUE(host.choosers().empty());
  found = false;
  EXPECT_EQ(Name(BySubject(u"C=CN,O=Velsor,OU=Testing,CN=Alice Zhang")), u"Alice Zhang")
      << "commas without spaces are normalized";
}

TEST_F(SelectionTest, SeveralMatchesGoToTheChooserAndCancelKeepsFound) {
  host.ClickCancel();
  EXPECT_EQ(BySubject(u"O=Velsor"), nullptr);
  EXPECT_TRUE(found) << "the engine must not retry with the reversed DN";
  ASSERT_EQ(host.choosers().size(), 1u);
  EXPECT_EQ(host.choosers()[0].rows.size(), 8u);
}

TEST_F(SelectionTest, ReversedDnMatchesOnlyOnTheRetry) {
  const std::u16string reversed = u"CN=Alice Zhang, OU=Testing, O=Velsor, C=CN";
  EXPECT_EQ(BySubject(reversed), nullptr);
  EXPECT_FALSE(found);
  EXPECT_TRUE(host.choosers().empty()) << "no empty chooser on the first call";
  EXPECT_EQ(Name(BySubject(crypt::ReverseDnOrder(reversed), true)), u"Alice Zhang");
  EXPECT_TRUE(found);
}

TEST_F(SelectionTest, NothingFoundShowsAnEmptyChooserWhenAsked) {
  host.SelectRow(0).ClickOk();
  EXPECT_EQ(BySubject(u"CN=Nobody", true), nullptr);
  EXPECT_FALSE(found);
  ASSERT_EQ(host.choosers().size(), 1u);
  EXPECT_TRUE(host.choosers()[0].rows.empty());
}

TEST_F(SelectionTest, PiecesAreCaseSensitiveAndATrailingSeparatorMatchesAll) {
  EXPECT_EQ(BySubject(u"cn=alice zhang"), nullptr);
  host.SelectText(u"Bob Li").ClickOk();
  EXPECT_EQ(Name(BySubject(u"CN=Alice Zhang|CN=Bob Li")), u"Bob Li");
  EXPECT_EQ(FirstColumn(host.choosers()[0]),
            (std::vector<std::u16string>{u"Alice Zhang", u"Bob Li"}));
  host.ClickCancel();
  BySubject(u"CN=Alice Zhang|");
  EXPECT_EQ(host.choosers()[1].rows.size(), 8u);
}

TEST_F(SelectionTest, SignatureFamilyOffersOnlySignatureKeys) {
  EXPECT_EQ(Name(BySubject(u"O=Velsor", false, KeyFamily::Signature)), u"Bob Li");
  EXPECT_TRUE(host.choosers().empty());
  host.ClickCancel();
  ChooseCert(my, chooser, KeyFamily::Signature);
  EXPECT_EQ(FirstColumn(host.choosers()[0]), std::vector<std::u16string>{u"Bob Li"});
  EXPECT_EQ(ChooseCert(std::span<const CertStore>(), chooser, KeyFamily::Signature), nullptr);
}

TEST_F(SelectionTest, OneStoreOffersOnlyCertificatesWithKeys) {
  ASSERT_TRUE(my[0].Add(SharedTestPki().partner.encoded));
  host.ClickCancel().ClickCancel();
  ChooseCert(my, chooser);
  ChooseCert(recipients, chooser);
  EXPECT_EQ(host.choosers()[0].rows.size(), 8u) << "the partner in MY has no key";
  EXPECT_EQ(FirstColumn(host.choosers()[1]),
            (std::vector<std::u16string>{u"Velsor Test CA", u"Velsor Test Root", u"Partner Wang"}));
}

TEST_F(SelectionTest, SortingKeepsRowsAndCertificatesTogether) {
  std::vector<std::vector<std::u16string>> seen;
  const auto snapshot = [&] { seen.push_back(FirstColumn(host.choosers().back())); };
  host.ClickColumn(0).Inspect(snapshot).ClickColumn(0).Inspect(snapshot).ClickColumn(1).Inspect(
      snapshot);
  host.SelectRow(0).ClickOk();
  const auto chosen = ChooseCert(recipients, chooser);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0],
            (std::vector<std::u16string>{u"Velsor Test Root", u"Velsor Test CA", u"Partner Wang"}))
      << "the first click sorts descending";
  EXPECT_EQ(seen[1],
            (std::vector<std::u16string>{u"Partner Wang", u"Velsor Test CA", u"Velsor Test Root"}))
      << "the next click, on any column, ascending";
  // The third click sorts descending again: the two the root issued come before the partner.
  EXPECT_EQ(seen[2],
            (std::vector<std::u16string>{u"Velsor Test CA", u"Velsor Test Root", u"Partner Wang"}));
  EXPECT_EQ(Name(chosen), host.choosers()[0].rows[0][0]) << "the row shown first is the one chosen";
}

TEST_F(SelectionTest, NoChoiceWithoutOkAndSelection) {
  host.SelectRow(1).ClickCancel();
  host.SelectRow(1).CloseWindow();
  host.ClickOk();
  host.SelectRow(0);  // and then the actions run out: the user closes the window
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ChooseCert(my, chooser), nullptr) << i;
  EXPECT_FALSE(host.choosers()[3].closedByHandlers);
}

TEST_F(SelectionTest, PageTextsAreShown) {
  host.ClickCancel();
  ChooseCert(my, chooser);
  const auto& shown = host.choosers()[0];
  EXPECT_EQ(shown.caption, u"Pick one");
  EXPECT_EQ(shown.prompt, u"Certificates:");
  EXPECT_EQ(shown.columns, (ui::ChooserRow{u"Subject", u"Issuer", u"Expires"}));
  EXPECT_EQ(shown.ok, u"Use");
  EXPECT_EQ(shown.cancel, u"Stop");
  EXPECT_EQ(shown.view, u"Look");
  EXPECT_EQ(shown.copyright, u"(c) line one\r\nline two");
  EXPECT_EQ(shown.rows[0][0], u"Alice Zhang");
  EXPECT_EQ(shown.rows[0][1], u"Velsor Test CA");
  EXPECT_EQ(shown.rows[0][2], *GetCertText(*my[0].Certificates()->front(), CertDetail::NotAfter));
}

TEST_F(SelectionTest, ViewingWritesAPrivateFileForTheDialogsLifetime) {
  setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
  const auto file = home.path() / "Tolvane" / "Velsor" / "temp.cer";
  bool existedWhileOpen = false;
  Bytes written;
  host.ClickView().SelectText(u"Bob Li").ClickView().Inspect([&] {
    existedWhileOpen = std::filesystem::exists(file);
    std::ifstream in(file, std::ios::binary);
    written.assign(std::istreambuf_iterator<char>(in), {});
  });
  host.DoubleClick().ClickCancel();
  ChooseCert(my, chooser);
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(host.choosers()[0].messages, std::vector<std::u16string>{u"No certificate selected."});
  EXPECT_TRUE(existedWhileOpen);
  EXPECT_EQ(written, SharedTestPki().bob.encoded);
  EXPECT_EQ(host.viewed(), (std::vector<std::filesystem::path>{file, file}));
  EXPECT_FALSE(std::filesystem::exists(file)) << "the dialog deletes it";
  EXPECT_EQ(std::filesystem::status(file.parent_path()).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_all);
}

TEST_F(SelectionTest, SerialNumberLists) {
  EXPECT_EQ(ParseSerialNumbers(u"0a1B 0A1B A1B 0G 7F"),
            (std::vector<Bytes>{{0x1B, 0x0A}, {0x1B, 0x0A}, {0x7F}}));
  std::u16string many;
  for (int i = 0; i < 25; ++i) many += u"01 ";
  EXPECT_EQ(ParseSerialNumbers(many).size(), kMaxSerialNumbers);

  EXPECT_EQ(Name(SelectCertByIssuerSerial(my, u"1001", kCaDn, chooser)), u"Alice Zhang");
  EXPECT_EQ(Name(SelectCertByIssuerSerial(my, u"0080112233", u"C=CN,O=Velsor,CN=Velsor Test CA",
                                          chooser)),
            u"High Serial");
  EXPECT_EQ(SelectCertByIssuerSerial(my, u"1001", u"C=CN, O=Velsor, CN=Velsor Test CB", chooser),
            nullptr);
  EXPECT_EQ(SelectCertByIssuerSerial(my, u"", kCaDn, chooser), nullptr);
  host.SelectText(u"Bob Li").ClickOk();
  EXPECT_EQ(Name(SelectCertByIssuerSerial(my, u"1001 1002", kCaDn, chooser)), u"Bob Li");
  EXPECT_EQ(Name(SelectCertByIssuerSerial(my, u"1001 1002", kCaDn, chooser, KeyFamily::Signature)),
            u"Bob Li");
  EXPECT_EQ(host.choosers().size(), 1u) << "one signature-key match needs no dialog";
}

TEST_F(SelectionTest, FindingWithoutDialogs) {
  EXPECT_EQ(Name(FindCertBySubject(my, u"OU=Testing, CN=Bob", u"|")), u"Bob Li");
  EXPECT_EQ(FindCertBySubject(my, u"CN=Nobody", u"|"), nullptr);
  EXPECT_EQ(Name(FindCertBySubjectDn(recipients, u"C=CN,O=Velsor,CN=Velsor Test Root")),
            u"Velsor Test Root");
  EXPECT_EQ(FindCertBySubjectDn(recipients, u"O=Velsor, CN=Velsor Test Root"), nullptr)
      << "the whole subject must match";
  EXPECT_EQ(LinkedKeySpec(*my[0].Certificates()->at(1)), std::optional(crypt::AT_SIGNATURE));
  EXPECT_EQ(LinkedKeySpec(*recipients[0].Certificates()->at(0)), std::optional<DWORD>())
      << "nothing without a key link";
  ASSERT_TRUE(recipients[0].SetProperty(*recipients[0].Certificates()->at(0),
                                        crypt::CERT_KEY_PROV_INFO_PROP_ID, Bytes{1, 2}));
  EXPECT_EQ(LinkedKeySpec(*recipients[0].Certificates()->at(0)).code(), -10027);
  EXPECT_EQ(ChooseCert(recipients, chooser, KeyFamily::Signature), nullptr)
      << "an unreadable link ends the search";
  EXPECT_TRUE(host.choosers().empty());
}

}  // namespace
}  // namespace velsor::certs
