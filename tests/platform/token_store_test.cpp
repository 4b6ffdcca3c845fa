#include <gtest/gtest.h>
#include <fstream>

#include "fixtures/soft_token.h"
#include "platform/base/storage/sqlite_db.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/openssl/token_certificates.h"
#include "platform/crypt/openssl/token_enrolment.h"
#include "platform/crypt/openssl/user_data_connection.h"
#include "platform/crypt/user_data.h"

namespace velsor::testing {
namespace {

namespace fs = std::filesystem;

class TokenStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { token.emplace(SharedTestPki()); }

  std::shared_ptr<crypt::UserData> Database() { return *crypt::OpenUserData(); }
  std::vector<crypt::CertContextPtr> OnTokens() {
    std::vector<crypt::CertContextPtr> found;
    const auto personal = crypt::CertStore::Open(u"MY");
    const auto listed = personal->Certificates();
    for (const auto& certificate : *listed) {
      if (certificate->token()) found.push_back(certificate);
    }
    return found;
  }
  // Stores a certificate on the test token under `id`, with no key beside it.
  void PutOnToken(const Issued& issued, Bytes id) {
    auto module = crypt::Pkcs11Module::Load(kSoftHsmModule);
    ASSERT_TRUE(module);
    auto session = crypt::OpenUserSession(*module, kTokenLabel, kTokenPin);
    ASSERT_TRUE(session);
    ASSERT_TRUE(crypt::StoreCertificateOnToken(*session, issued.encoded, id, "extra"));
  }

  ScopedVelsorHome home;
  std::optional<ScopedSoftToken> token;
};

TEST_F(TokenStoreTest, ModulesAreCheckedWhenAddedAndNamedWhenRemoved) {
  auto database = Database();
  EXPECT_EQ(crypt::AddTokenModule(*database, "libsofthsm2.so", "").code(), E_INVALIDARG);
  const fs::path notAModule = home.path() / "not-a-module.so";
  std::ofstream(notAModule) << "text";
  EXPECT_EQ(crypt::AddTokenModule(*database, notAModule, "").code(), E_FAIL);
  // The fixture added the Debian path, which is a link to the library itself.
  const std::string real = fs::canonical(kSoftHsmModule);
  EXPECT_EQ(crypt::AddTokenModule(*database, real, "again").code(), NTE_EXISTS);

  EXPECT_TRUE(crypt::RemoveTokenModule(*database, "test"));
  EXPECT_EQ(crypt::RemoveTokenModule(*database, "test").code(), CRYPT_E_NOT_FOUND);
  EXPECT_TRUE(crypt::ConfiguredTokenModules(*database)->empty());
}

TEST_F(TokenStoreTest, OnlyEndEntityCertificatesWithAKeyAppearInMy) {
  // An authority's certificate kept on the token, as cards often carry their issuers.
  PutOnToken(SharedTestPki().intermediate, {0x0C, 0xA0});
  // The partner's certificate with an id whose key the token hides until login.
  PutOnToken(SharedTestPki().partner, {0x99});
  const auto found = OnTokens();
  std::vector<Bytes> encodings;
  for (const auto& certificate : found) encodings.push_back(certificate->encoded());
  EXPECT_EQ(std::count(encodings.begin(), encodings.end(), token->user().encoded), 1);
  EXPECT_EQ(std::count(encodings.begin(), encodings.end(), SharedTestPki().partner.encoded), 1);
  EXPECT_EQ(std::count(encodings.begin(), encodings.end(), SharedTestPki().intermediate.encoded),
            0);
}

TEST_F(TokenStoreTest, AModuleThatNoLongerLoadsIsReportedAndMyStillOpens) {
  // A module added once and uninstalled since: its row stays, its file is gone. (A copy
  // removed after adding it would not do: this process keeps a library it loaded once.)
  const fs::path gone = home.path() / "uninstalled-pkcs11.so";
  auto database = Database();
  ASSERT_TRUE(crypt::RemoveTokenModule(*database, "test"));
  database->Prepare("INSERT INTO token_modules (path, label) VALUES (?1, 'gone')")
      .Bind(1, gone.string())
      .Run();

  const crypt::TokenSurvey survey = crypt::SurveyTokens(*database);
  ASSERT_FALSE(survey.modules.empty());
  EXPECT_EQ(survey.modules.front().path, gone.string());
  EXPECT_TRUE(survey.modules.front().error);
  EXPECT_TRUE(crypt::CertStore::Open(u"MY"));
}

}  // namespace
}  // namespace velsor::testing
