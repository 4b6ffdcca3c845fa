#include "certs/cert_entry_list.h"

#include <gtest/gtest.h>

#include "fixtures/test_pki.h"
#include "platform/crypt/dn_text.h"

namespace velsor::certs {
namespace {

using crypt::CertContext;
using crypt::CertStore;
using testing::ScopedVelsorHome;
using testing::SharedTestPki;

TEST(CertEntryList, EntriesAndTheirValues) {
  CertEntryList list;
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(list.EntryText(0, EntryField::SubjectName));
  EXPECT_FALSE(list.EntryText(-1, EntryField::SubjectName));

  list.AppendCertificate(**CertContext::FromEncoded(SharedTestPki().alice.encoded));
  list.AppendCertificate(**CertContext::FromEncoded(SharedTestPki().noCommonName.encoded));
  ASSERT_EQ(list.Count(), 10);
  EXPECT_EQ(list.EntryCount(), 2);
  EXPECT_EQ(list.EntryText(0, EntryField::SubjectName), u"Alice Zhang");
  EXPECT_EQ(list.EntryText(0, EntryField::IssuerName), u"Velsor Test CA");
  EXPECT_EQ(list.EntryText(0, EntryField::Serial), u"1001");
  EXPECT_EQ(list.EntryText(1, EntryField::SubjectName), u"nocn@velsor.test");
  EXPECT_FALSE(list.EntryText(0, EntryField::EncodedIssuer)) << "the issuer is bytes, not text";
  EXPECT_FALSE(list.EntryText(2, EntryField::SubjectName));
  EXPECT_FALSE(list.EntryText(-1, EntryField::Serial));
}

TEST(CertEntryList, ResolvingEntries) {
  ScopedVelsorHome home;
  const auto& pki = SharedTestPki();
  SharedTestPki().Install();
  auto book = CertStore::Open(u"AddressBOOK");
  ASSERT_TRUE(book->Add(pki.alice.encoded));
  std::vector<CertStore> myFirst{*CertStore::Open(u"MY"), *book};
  std::vector<CertStore> bookFirst{*book, *CertStore::Open(u"MY")};

  CertEntryList list;
  list.AppendCertificate(**CertContext::FromEncoded(pki.alice.encoded));
  list.AppendCertificate(**CertContext::FromEncoded(pki.longSerial.encoded));
  const auto fromMy = list.ResolveEntry(0, myFirst);
  ASSERT_TRUE(fromMy);
  EXPECT_EQ(fromMy->store(), crypt::SystemStore::My);
  EXPECT_EQ(list.ResolveEntry(0, bookFirst)->store(), crypt::SystemStore::AddressBook)
      << "the earlier store wins";

  const auto longSerial = list.ResolveEntry(1, myFirst);
  ASSERT_TRUE(longSerial) << "a serial of 60 bytes has its text and resolves";
  EXPECT_EQ(longSerial->encoded(), pki.longSerial.encoded);
  EXPECT_EQ(list.ResolveEntry(2, myFirst), nullptr);
}

}  // namespace
}  // namespace velsor::certs
