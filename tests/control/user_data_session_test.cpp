// A control object keeps the user's data open and what it decoded between calls; what
// another object, another process or a token changes must still show at its next call.

#include <sys/wait.h>
#include <unistd.h>

#include "control/member_fixture.h"
#include "fixtures/soft_token.h"
#include "platform/crypt/openssl/key_containers_openssl.h"
#include "platform/crypt/user_data.h"

namespace velsor::testing {
namespace {

constexpr char16_t kPartner[] = u"CN=Partner Wang";

class UserDataSessionTest : public MemberTest {
 protected:
  void SetUp() override {
    MemberTest::SetUp();
    ServerMode(true);
  }
  // VLAttachedSign's errorNum for a signer named by `dn`.
  LONG SignAs(std::u16string_view dn) {
    EXPECT_EQ(SetPlainText(u"text"), S_OK);
    Method(u"VLAttachedSign", {Text(dn)});
    return ErrorNum();
  }
  static void ImportPartner() {
    const Issued& partner = SharedTestPki().partner;
    ASSERT_TRUE(crypt::ImportCertificateWithKey(partner.encoded, *partner.key, crypt::AT_SIGNATURE,
                                                crypt::kEnhancedProvider));
  }
  static void RemoveFromMy(const Issued& issued) {
    auto personal = crypt::CertStore::Open(u"MY");
    ASSERT_TRUE(personal);
    const auto listed = personal->Certificates();
    ASSERT_TRUE(listed);
    for (const auto& certificate : *listed) {
      if (certificate->encoded() == issued.encoded) {
        ASSERT_TRUE(personal->Remove(*certificate));
      }
    }
  }
  // Runs `change` in a child process, on its own connection, and waits for it.
  template <class Change>
  static void InAnotherProcess(Change&& change) {
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      change();
      _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
};

TEST_F(UserDataSessionTest, AnotherObjectsChangesShowAtTheNextCall) {
  ASSERT_EQ(SignAs(kAliceDn), 0);
  EXPECT_EQ(SignAs(kPartner), -10005) << "the partner has no key in MY yet";

  auto other = CTolvaneVelsor::Create();
  {
    const crypt::UserSessionScope otherObject(other->state().userData);
    ImportPartner();
  }
  EXPECT_EQ(SignAs(kPartner), 0);
  {
    const crypt::UserSessionScope otherObject(other->state().userData);
    RemoveFromMy(SharedTestPki().partner);
  }
  EXPECT_EQ(SignAs(kPartner), -10005);
  EXPECT_EQ(SignAs(kAliceDn), 0);
}

TEST_F(UserDataSessionTest, AnotherProcesssChangesShowAtTheNextCall) {
  ASSERT_EQ(SignAs(kAliceDn), 0);
  InAnotherProcess([] { RemoveFromMy(SharedTestPki().alice); });
  EXPECT_EQ(SignAs(kAliceDn), -10005);
  InAnotherProcess([] { ImportPartner(); });
  EXPECT_EQ(SignAs(kPartner), 0);
}

TEST_F(UserDataSessionTest, ATokenPutInIsFoundAtTheNextCallAndOnePulledOutLeavesMy) {
  ScopedSoftToken token(SharedTestPki(), ScopedSoftToken::Token::Later);
  EXPECT_EQ(SignAs(kTokenUser), -10005) << "the module is loaded, no token is in it";
  token.PutIn();
  host->AnswerPin(PinOutcome::Entered, kTokenPin);
  EXPECT_EQ(SignAs(kTokenUser), 0);
  EXPECT_EQ(host->pinDialogs().size(), 1u);
  token.Remove();
  EXPECT_EQ(SignAs(kTokenUser), -10005);
  EXPECT_EQ(SignAs(kAliceDn), 0);
}

}  // namespace
}  // namespace velsor::testing
