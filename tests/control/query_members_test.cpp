#include "control/member_fixture.h"

namespace velsor::testing {
namespace {

class QueryMembersTest : public MemberTest {};

TEST_F(QueryMembersTest, CertificateDetailGetters) {
  EXPECT_EQ(SignerDetail(5), u"") << "nothing signed yet: empty, and success";
  for (int type : {0, 6}) {
    Outcome out = Method(u"VLGetSignerCertInfo", {Number(type)});
    EXPECT_EQ(out.hr, S_FALSE);
    EXPECT_EQ(out.result.bstrVal, nullptr);
    EXPECT_EQ(ErrorNum(), -10008);
    EXPECT_EQ(ErrMsg(), u"类型错误，没有该类型的值");
  }
  EXPECT_EQ(Method(u"VLGetReciptCertInfo", {Number(6)}).hr, S_FALSE);
}

TEST_F(QueryMembersTest, DigestAndBase64) {
  EXPECT_EQ(Text16(u"VLHashAndBase64Encode", {Text(u"abc")}), u"qZk+NkcGgWq6PiVxeFDCbJzQ2J0=\n");
  EXPECT_EQ(Method(u"VLSetDigestArithmetic", {Text(u"1.2.3.4")}).hr, S_OK);
  EXPECT_EQ(Status(u"VLHashAndBase64Encode", {Text(u"abc")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10023);
  EXPECT_EQ(ErrMsg(), u"摘要失败");

  EXPECT_EQ(Text16(u"VLBase64Encode", {Text(u"abc")}), u"YWJj\n");
  EXPECT_EQ(Text16(u"VLBase64Decode", {Text(u"YWJj\n")}), u"abc");
  EXPECT_EQ(Text16(u"VLBase64Decode", {Text(Text16(u"VLBase64Encode", {Text(u"中文")}))}), u"中文");
  EXPECT_EQ(Status(u"VLBase64Encode", {Text(u"")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10001);
  EXPECT_EQ(ErrMsg(), std::nullopt) << "no message: the previous one stays";
  EXPECT_EQ(Status(u"VLBase64Decode", {Text(u"=AAA")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10036);
}

TEST_F(QueryMembersTest, CertificateQueries) {
  ULONG exists = 7;
  EXPECT_EQ(control->IsCertExists(Bstr(kAliceDn).get(), &exists), S_OK);
  EXPECT_EQ(exists, 1u);
  EXPECT_EQ(control->IsCertExists(Bstr(u"CN=Nobody").get(), &exists), S_OK);
  EXPECT_EQ(exists, 0u);
  EXPECT_EQ(ErrorNum(), 0);
  EXPECT_EQ(control->IsCertExists(Bstr(u"").get(), &exists), S_OK);
  EXPECT_EQ(exists, 0u);
  EXPECT_EQ(ErrorNum(), -10001);
  EXPECT_EQ(ErrMsg(), u"设置的DN数据为空");

  // Stores out of reach: the negative code stands in the answer, errorNum stays 0.
  const std::filesystem::path shared = home.path() / "shared";
  std::filesystem::create_directories(shared);
  std::filesystem::permissions(shared, std::filesystem::perms::all);
  const std::string own = std::getenv("VELSOR_HOME");
  ::setenv("VELSOR_HOME", shared.c_str(), 1);
  EXPECT_EQ(control->IsCertExists(Bstr(kAliceDn).get(), &exists), S_OK);
  EXPECT_TRUE(exists == static_cast<ULONG>(-10018) || exists == static_cast<ULONG>(-10019))
      << static_cast<LONG>(exists);
  EXPECT_EQ(ErrorNum(), 0);
  ::setenv("VELSOR_HOME", own.c_str(), 1);

  const std::u16string subjects =
      Text16(u"VLEnumCertsDNByIssers", {Text(std::u16string(u"CN=Nobody;").append(kCaDn))});
  EXPECT_NE(subjects.find(kAliceDn), std::u16string::npos);
  EXPECT_NE(subjects.find(std::u16string(u";").append(kBobDn)), std::u16string::npos);
  EXPECT_NE(subjects.back(), u';');
  EXPECT_EQ(Text16(u"VLEnumCertsDNByIssers", {Text(std::u16string(kCaDn) + u";")}), subjects)
      << "an empty last piece finds nothing more";
  Outcome none = Method(u"VLEnumCertsDNByIssers", {Text(u"CN=Nobody")});
  EXPECT_EQ(none.hr, S_OK);
  EXPECT_EQ(none.result.bstrVal, nullptr);
  EXPECT_EQ(Status(u"VLEnumCertsDNByIssers", {Text(std::u16string(300, u','))}), S_OK);
  EXPECT_EQ(ErrorNum(), -10057) << "an invalid DN is reported with success";
  EXPECT_EQ(Status(u"VLEnumCertsDNByIssers", {Text(u"")}), S_FALSE);
  EXPECT_EQ(ErrMsg(), u"DN为空");

  const std::u16string usage =
      Text16(u"VLGetCertExtension",
             {Text(u"CN=Alice Zhang, OU=Testing, O=Velsor, C=CN"), Text(u"2.5.29.15")});
  EXPECT_FALSE(usage.empty()) << "found by the DN in reverse order";
  EXPECT_EQ(Status(u"VLGetCertExtension", {Text(kAliceDn), Text(u"1.2.3.4")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10026);
  EXPECT_EQ(ErrMsg(), u"获取证书扩展失败");
  EXPECT_EQ(Status(u"VLGetCertExtension", {Text(kAliceDn), Text(u"")}), S_FALSE);
  EXPECT_EQ(ErrorNum(), -10001);
}

}  // namespace
}  // namespace velsor::testing
