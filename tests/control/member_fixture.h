#pragma once
// A control over the test PKI in a private VELSOR_HOME, with scripted dialogs, called by
// member name.

#include "control/dispatch_fixture.h"
#include "fixtures/test_pki.h"
#include "platform/crypt/cert_store.h"
#include "platform/ui/scripted_dialog_host.h"

namespace velsor::testing {

inline constexpr char16_t kAliceDn[] = u"C=CN, O=Velsor, OU=Testing, CN=Alice Zhang";
inline constexpr char16_t kBobDn[] = u"C=CN, O=Velsor, OU=Testing, CN=Bob Li";
inline constexpr char16_t kCaDn[] = u"C=CN, O=Velsor, CN=Velsor Test CA";

class MemberTest : public DispatchTest {
 protected:
  void SetUp() override {
    SharedTestPki().Install();
    control->state().dialogHost = host;
  }

  // The result text of a member that answered S_OK; fails the test otherwise.
  std::u16string Text16(std::u16string member, std::vector<VARIANT> args) {
    Outcome out = Method(std::move(member), std::move(args));
    EXPECT_EQ(out.hr, S_OK) << "errorNum " << ErrorNum();
    return std::u16string(out.text());
  }
  // The HRESULT of a member, its result dropped.
  HRESULT Status(std::u16string member, std::vector<VARIANT> args = {}) {
    return Method(std::move(member), std::move(args)).hr;
  }
  std::u16string SignerDetail(int type) { return Text16(u"VLGetSignerCertInfo", {Number(type)}); }
  std::u16string RecipientDetail(int type) {
    return Text16(u"VLGetReciptCertInfo", {Number(type)});
  }
  void ServerMode(bool on) { EXPECT_EQ(Put(u"VLServerMode", Number(on ? 1 : 0)).hr, S_OK); }
  void InAddressBook(const Issued& issued) {
    ASSERT_TRUE(crypt::CertStore::Open(u"AddressBOOK")->Add(issued.encoded));
  }

  ScopedVelsorHome home;
  std::shared_ptr<ui::ScriptedDialogHost> host = std::make_shared<ui::ScriptedDialogHost>();
};

}  // namespace velsor::testing
