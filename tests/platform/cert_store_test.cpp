#include "platform/crypt/cert_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <set>
#include <thread>

#include "fixtures/test_pki.h"
#include "platform/base/storage/sqlite_db.h"
#include "platform/codepage/utf.h"
#include "platform/crypt/openssl/cert_context_openssl.h"
#include "platform/crypt/openssl/key_containers_openssl.h"
#include "platform/crypt/openssl/key_handle_openssl.h"
#include "platform/crypt/openssl/name_text_openssl.h"
#include "platform/crypt/openssl/user_data_connection.h"
#include "platform/crypt/user_data.h"

namespace velsor::crypt {
namespace {

using testing::ScopedVelsorHome;
using testing::SharedTestPki;

std::vector<CertContextPtr> Certificates(std::u16string_view store) {
  auto opened = CertStore::Open(store);
  EXPECT_TRUE(opened) << opened.error().detail;
  auto certificates = opened->Certificates();
  EXPECT_TRUE(certificates);
  return *certificates;
}

std::vector<std::u16string> CommonNames(const std::vector<CertContextPtr>& certificates) {
  std::vector<std::u16string> names;
  for (const auto& certificate : certificates)
    names.push_back(SimpleDisplayName(SubjectNameOf(*certificate)));
  return names;
}

mode_t ModeOf(const std::filesystem::path& path) {
  struct stat status {};
  ::stat(path.c_str(), &status);
  return status.st_mode & 0777;
}

TEST(VelsorHome, PrivateFolderAndFiles) {
  ScopedVelsorHome home;
  ASSERT_TRUE(CertStore::Open(u"MY"));
  EXPECT_EQ(ModeOf(home.path() / "home"), 0700u);
  EXPECT_EQ(ModeOf(home.path() / "home" / kCertStoreFile), 0600u);
  ::chmod((home.path() / "home").c_str(), 0777);
  auto refused = CertStore::Open(u"MY");
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.code(), E_ACCESSDENIED);
  EXPECT_NE(refused.error().detail.find("others can write"), std::string::npos);
}

TEST(CertStores, InstalledPkiInEnumerationOrder) {
  ScopedVelsorHome home;
  SharedTestPki().Install();
  EXPECT_EQ(CommonNames(Certificates(u"my")),
            (std::vector<std::u16string>{u"Alice Zhang", u"Bob Li", u"Expired User",
                                         u"Revoked User", u"Reversed Order", u"No Common Name",
                                         u"High Serial", u"Long Serial"}));
  EXPECT_EQ(CommonNames(Certificates(u"Root")), std::vector<std::u16string>{u"Velsor Test Root"});
  EXPECT_EQ(CommonNames(Certificates(u"ca")), std::vector<std::u16string>{u"Velsor Test CA"});
  EXPECT_EQ(CommonNames(Certificates(u"ADDRESSBOOK")),
            std::vector<std::u16string>{u"Partner Wang"});
  EXPECT_EQ(CertStore::Open(u"Trust").code(), E_INVALIDARG);

  const auto my = Certificates(u"MY");
  const auto alice = my[0]->KeyProviderInfo();
  ASSERT_TRUE(alice);
  EXPECT_EQ(alice->keySpec, AT_KEYEXCHANGE);
  EXPECT_EQ(alice->providerName, kEnhancedProvider);
  EXPECT_EQ(my[1]->KeyProviderInfo()->keySpec, AT_SIGNATURE);
  EXPECT_EQ(my[0]->PropertyIds(), std::vector<DWORD>{CERT_KEY_PROV_INFO_PROP_ID});
  EXPECT_FALSE(Certificates(u"ROOT")[0]->KeyProviderInfo());

  auto ca = CertStore::Open(u"CA");
  EXPECT_EQ(ca->Crls()->size(), 1u);
  EXPECT_EQ(ca->AddCrl(Bytes{1, 2, 3}).code(), CRYPT_E_OSS_ERROR);
}

TEST(CertStores, AddRemoveAndProperties) {
  ScopedVelsorHome home;
  auto book = CertStore::Open(u"AddressBOOK");
  const auto& pki = SharedTestPki();
  auto first = book->Add(pki.partner.encoded);
  ASSERT_TRUE(first);
  auto again = book->Add(pki.partner.encoded);
  EXPECT_EQ((*again)->storedId(), (*first)->storedId()) << "a certificate is stored once";
  ASSERT_TRUE(book->Add(pki.bob.encoded));
  EXPECT_EQ(book->Add(Bytes{0x30, 0x00}).code(), CRYPT_E_OSS_ERROR);
  ASSERT_TRUE(book->SetProperty(**first, 11, AsBytes("friendly")));
  EXPECT_EQ(AsText(*Certificates(u"AddressBOOK")[0]->Property(11)), "friendly");
  ASSERT_TRUE(book->Remove(**first));
  EXPECT_EQ(CommonNames(Certificates(u"AddressBOOK")), std::vector<std::u16string>{u"Bob Li"});
  auto root = CertStore::Open(u"ROOT");
  EXPECT_EQ(root->Remove(*Certificates(u"AddressBOOK")[0]).code(), CRYPT_E_NOT_FOUND);
}

TEST(KeyContainers, DefaultContainerLifecycle) {
  ScopedVelsorHome home;
  EXPECT_EQ(CryptProvider::Acquire(std::nullopt, kEnhancedProvider, PROV_RSA_FULL, 0).code(),
            NTE_BAD_KEYSET);
  auto created =
      CryptProvider::Acquire(std::nullopt, kEnhancedProvider, PROV_RSA_FULL, CRYPT_NEWKEYSET);
  ASSERT_TRUE(created);
  EXPECT_EQ(created->containerName(), DefaultContainerName());
  EXPECT_EQ(
      CryptProvider::Acquire(std::nullopt, kBaseProvider, PROV_RSA_FULL, CRYPT_NEWKEYSET).code(),
      NTE_EXISTS)
      << "both providers see the same containers";
  auto existing = CryptProvider::Acquire(std::nullopt, kBaseProvider, PROV_RSA_FULL, 0);
  ASSERT_TRUE(existing);
  EXPECT_EQ(existing->PrivateKey(AT_SIGNATURE).code(), NTE_NO_KEY);

  const auto& key = *SharedTestPki().bob.key;
  ASSERT_TRUE(StoreKey(*existing, AT_SIGNATURE, key));
  EXPECT_EQ(StoreKey(*existing, AT_SIGNATURE, key).code(), NTE_EXISTS);
  auto loaded = created->PrivateKey(AT_SIGNATURE);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(EVP_PKEY_eq(PkeyOf(*loaded), &key), 1);
  EXPECT_EQ(
      CryptProvider::Acquire(std::nullopt, kBaseProvider, PROV_RSA_FULL, CRYPT_DELETEKEYSET).code(),
      E_ACCESSDENIED)
      << "a container with keys is never deleted";

  auto empty = CryptProvider::Acquire(std::u16string_view(u"empty"), kBaseProvider, PROV_RSA_FULL,
                                      CRYPT_NEWKEYSET);
  ASSERT_TRUE(empty);
  EXPECT_TRUE(CryptProvider::Acquire(std::u16string_view(u"empty"), kBaseProvider, PROV_RSA_FULL,
                                     CRYPT_DELETEKEYSET));
  EXPECT_EQ(
      CryptProvider::Acquire(std::u16string_view(u"empty"), kBaseProvider, PROV_RSA_FULL, 0).code(),
      NTE_BAD_KEYSET);
  auto verify =
      CryptProvider::Acquire(std::nullopt, kBaseProvider, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT);
  ASSERT_TRUE(verify);
  EXPECT_EQ(verify->PrivateKey(AT_KEYEXCHANGE).code(), NTE_NO_KEY);
  EXPECT_EQ(CryptProvider::Acquire(std::nullopt, u"Some Provider", PROV_RSA_FULL, 0).code(),
            NTE_KEYSET_NOT_DEF);
  EXPECT_EQ(CryptProvider::Acquire(std::nullopt, kBaseProvider, 24, 0).code(), NTE_PROV_TYPE_NOT_DEF);
}

TEST(KeyContainers, ImportRefusesAKeyOfAnotherCertificate) {
  ScopedVelsorHome home;
  const auto& pki = SharedTestPki();
  EXPECT_EQ(
      ImportCertificateWithKey(pki.alice.encoded, *pki.bob.key, AT_KEYEXCHANGE, kEnhancedProvider)
          .code(),
      E_INVALIDARG);
  EXPECT_TRUE(Certificates(u"MY").empty());
}

// Every certificate in MY points at a container holding its key, and every container that
// holds keys is pointed at by a certificate.
void ExpectKeysAndCertificatesPaired() {
  std::set<std::string> linked;
  for (const auto& certificate : Certificates(u"MY")) {
    const auto link = certificate->KeyProviderInfo();
    ASSERT_TRUE(link);
    auto provider = CryptProvider::Acquire(std::u16string_view(link->containerName),
                                           link->providerName, PROV_RSA_FULL, 0);
    ASSERT_TRUE(provider) << "a certificate points at a missing container";
    ASSERT_TRUE(provider->PrivateKey(link->keySpec)) << "a certificate points at a missing key";
    linked.insert(codepage::Utf16ToUtf8(link->containerName));
  }
  auto database = OpenUserData();
  ASSERT_TRUE(database);
  auto holding = (*database)->Prepare("SELECT DISTINCT container FROM container_keys");
  while (holding.Step())
    EXPECT_TRUE(linked.count(holding.Text(0))) << "a key without its certificate";
}

void ImportInChild(int count) {
  const auto& alice = SharedTestPki().alice;
  for (int i = 0; i < count; ++i) {
    if (!ImportCertificateWithKey(alice.encoded, *alice.key, AT_KEYEXCHANGE, kEnhancedProvider))
      _exit(1);
  }
  _exit(0);
}

TEST(KeyContainers, TwoProcessesImportingAtOnceLoseNothing) {
  ScopedVelsorHome home;
  SharedTestPki();  // keys are made before forking
  ASSERT_TRUE(CertStore::Open(u"MY"));
  std::vector<pid_t> children;
  for (int child = 0; child < 2; ++child) {
    const pid_t pid = fork();
    if (pid == 0) ImportInChild(15);
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(Certificates(u"MY").size(), 30u);
  ExpectKeysAndCertificatesPaired();
}

TEST(KeyContainers, AnImportKilledHalfWayLeavesNoHalves) {
  ScopedVelsorHome home;
  SharedTestPki();
  ASSERT_TRUE(CertStore::Open(u"MY"));
  std::mt19937 random(11);
  for (int round = 0; round < 8; ++round) {
    const pid_t pid = fork();
    if (pid == 0) ImportInChild(1000);
    // Later rounds wait longer, so that some imports finish even on a slow machine.
    std::this_thread::sleep_for(std::chrono::microseconds((2000 + random() % 30000) * (round + 1)));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    ExpectKeysAndCertificatesPaired();
  }
  EXPECT_FALSE(Certificates(u"MY").empty());
}

}  // namespace
}  // namespace velsor::crypt

namespace velsor::crypt {
namespace {

std::vector<std::u16string> NamesIn(const CertStore& store) {
  std::vector<std::u16string> subjects;
  EXPECT_TRUE(store.VisitNames([&](const StoredCertNames& names) {
    subjects.push_back(names.subject);
    return true;
  }));
  return subjects;
}

TEST(CertStores, NamesAreKeptBesideEachCertificateAndRecordedForOlderFiles) {
  testing::ScopedVelsorHome home;
  testing::SharedTestPki().Install();
  auto my = *CertStore::Open(u"MY");
  const auto certificates = *my.Certificates();
  const auto names = NamesIn(my);
  ASSERT_EQ(names.size(), certificates.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(names[i], X500NameText(SubjectNameOf(*certificates[i]))) << "in enumeration order";
  }
  my.VisitNames([&](const StoredCertNames& stored) {
    const auto decoded = my.Certificate(stored.id);
    EXPECT_TRUE(decoded);
    EXPECT_EQ((*decoded)->serialBlob(), stored.serialBlob);
    EXPECT_EQ(SimpleNameText(IssuerNameOf(**decoded)), stored.issuerSimple);
    EXPECT_EQ(stored.keyProvInfo.has_value(), (*decoded)->KeyProviderInfo().has_value());
    return true;
  });
  EXPECT_EQ(my.Certificate(-1).code(), CRYPT_E_NOT_FOUND);

  // A file written before the names were kept (or under older name rules) gets them all
  // recorded the next time it is opened.
  my.database()->Execute("DELETE FROM certificate_names; PRAGMA user_version = 1;");
  EXPECT_TRUE(NamesIn(my).empty());
  EXPECT_EQ(NamesIn(*CertStore::Open(u"MY")), names);
}

}  // namespace
}  // namespace velsor::crypt
