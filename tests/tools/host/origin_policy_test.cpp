#include <gtest/gtest.h>

#include "allow_list.h"
#include "fixtures/test_pki.h"
#include "origin.h"
#include "policy.h"
#include "request.h"

namespace velsor::bridge {
namespace {

using nlohmann::json;

std::string TextOf(std::string_view origin) {
  const ParsedOrigin parsed = ParseOrigin(origin);
  return parsed.origin ? parsed.origin->Text() : "refused: " + parsed.problem;
}

TEST(OriginTest, OriginsAreNormalisedAsBrowsersPrintThem) {
  EXPECT_EQ(TextOf("HTTPS://Bank.Example"), "https://bank.example");
  EXPECT_EQ(TextOf("https://bank.example:443/"), "https://bank.example");
  EXPECT_EQ(TextOf("http://127.0.0.1:8080"), "http://127.0.0.1:8080");
  EXPECT_EQ(TextOf("http://localhost:80"), "http://localhost");
  EXPECT_EQ(TextOf("https://[::1]:8443"), "https://[::1]:8443");
}

TEST(OriginTest, AnythingBeyondSchemeHostAndPortIsRefused) {
  for (const char* text :
       {"https://bank.example/path", "https://user@bank.example", "https://bank.example?x",
        "https://bank.example:0", "https://bank.example:65536", "https://bank.example:",
        "https://bank.example:+1", "ftp://bank.example", "chrome-extension://abc", "bank.example",
        "https://", "https://.bank", "https://[::1", "https://[zz]", "null", "https://ba nk"}) {
    EXPECT_FALSE(ParseOrigin(text).origin) << text;
  }
  EXPECT_FALSE(ParseOrigin("https://" + std::string(400, 'a')).origin);
  // The reason names what is wrong, not the port a user name's colon seems to start.
  EXPECT_EQ(ParseOrigin("https://user:pw@bank.example").problem,
            "an origin holds no user name or password (write scheme://host)");
  EXPECT_EQ(ParseOrigin("https://bank.example:8443/login").problem,
            "an origin holds no path, query or fragment (write scheme://host)");
}

TEST(OriginTest, PlainHttpIsServedOnlyOnLoopback) {
  for (const char* text :
       {"https://bank.example", "http://127.0.0.1:9", "http://localhost", "http://[::1]"}) {
    EXPECT_EQ(WhyNeverServed(*ParseOrigin(text).origin), "") << text;
  }
  for (const char* text :
       {"http://bank.example", "http://127.0.0.2", "http://localhost.evil.example"}) {
    EXPECT_NE(WhyNeverServed(*ParseOrigin(text).origin), "") << text;
  }
}

TEST(AllowListTest, DecisionsAreKeptPerOriginInTheUsersFolder) {
  testing::ScopedVelsorHome home;
  const Origin bank = *ParseOrigin("https://bank.example").origin;
  const Origin shop = *ParseOrigin("https://shop.example").origin;
  {
    auto list = AllowList::Open();
    ASSERT_TRUE(list) << list.error().detail;
    EXPECT_EQ(list->DecisionFor(bank), Decision::Unknown);
    ASSERT_TRUE(list->Allow(bank));
    ASSERT_TRUE(list->Deny(shop));
    EXPECT_FALSE(list->Allow(*ParseOrigin("http://bank.example").origin)) << "never servable";
  }
  auto reopened = AllowList::Open();
  EXPECT_EQ(reopened->DecisionFor(bank), Decision::Allowed);
  EXPECT_EQ(reopened->DecisionFor(shop), Decision::Denied);
  ASSERT_TRUE(reopened->Deny(bank));
  EXPECT_EQ(reopened->DecisionFor(bank), Decision::Denied);
  EXPECT_EQ(reopened->Entries()->size(), 2u);
  EXPECT_TRUE(std::filesystem::exists(home.path() / "home" / "bridge.db"));
}

TEST(RequestTest, WellFormedRequestsAreTakenAndEverythingElseRefusedWithItsId) {
  const auto parse = [](std::string_view text) { return ParseRequest(*ParseJson(text)); };
  const ParsedRequest call = parse(
      R"({"id":4,"origin":"https://a.example","member":"VLAttachedSign","access":"call","args":["CN=A",1,true,null]})");
  ASSERT_TRUE(call.request) << call.refusal;
  EXPECT_EQ(call.request->member, "VLAttachedSign");
  EXPECT_EQ(call.request->args.size(), 4u);

  for (
      const char* bad : {
          R"({"id":4,"origin":"o","member":"getVersion","access":"run"})",
          R"({"id":4,"origin":"o","member":"get Version","access":"call"})",
          R"({"id":4,"origin":"o","member":"getVersion","access":"call","args":[[1]]})",
          R"({"id":4,"origin":"o","member":"getVersion","access":"call","args":[1,2,3,4,5,6,7,8,9]})",
          R"({"id":4,"origin":"o","member":"errMsg","access":"get","args":[1]})",
          R"({"id":4,"origin":"o","member":"MaxCompSize","access":"put"})",
          R"({"id":4,"member":"getVersion","access":"call"})",
      }) {
    const ParsedRequest refused = parse(bad);
    EXPECT_FALSE(refused.request) << bad;
    EXPECT_FALSE(refused.refusal.empty()) << bad;
    EXPECT_EQ(refused.id, 4) << "the refusal answers the request's id: " << bad;
  }
  EXPECT_FALSE(parse(R"({"id":{"x":1}})").request);
  EXPECT_FALSE(parse(R"([1,2])").request);
  EXPECT_FALSE(ParseJson("{\"id\":\"\xff\"}")) << "not UTF-8";
}

TEST(PolicyTest, ServerModeAndFilePathsAreRefusedWhateverTheSpellingOrAccess) {
  GuardedMembers guarded;
  guarded.serverMode = 6;
  guarded.fileMembers = {8, 40, 50};
  EXPECT_NE(PolicyRefusal(guarded, 6, Access::Put, json::array({1})), "");
  EXPECT_NE(PolicyRefusal(guarded, 6, Access::Put, json::array({"1"})), "");
  EXPECT_NE(PolicyRefusal(guarded, 6, Access::Put, json::array({-0.5})), "");
  EXPECT_NE(PolicyRefusal(guarded, 6, Access::Call, json::array({1})), "");
  EXPECT_EQ(PolicyRefusal(guarded, 6, Access::Put, json::array({0})), "");
  EXPECT_EQ(PolicyRefusal(guarded, 6, Access::Put, json::array({false})), "");
  for (const DISPID member : {8, 40, 50}) {
    EXPECT_NE(PolicyRefusal(guarded, member, Access::Call, json::array({"/etc/passwd"})), "");
    EXPECT_NE(PolicyRefusal(guarded, member, Access::Call, json::array({5})), "")
        << "numbers become names";
    EXPECT_EQ(PolicyRefusal(guarded, member, Access::Call, json::array({""})), "");
    EXPECT_EQ(PolicyRefusal(guarded, member, Access::Call, json::array({nullptr})), "");
  }
  EXPECT_EQ(PolicyRefusal(guarded, 10, Access::Call, json::array({"/etc/passwd"})), "");
}

}  // namespace
}  // namespace velsor::bridge
