#include "session.h"

#include <gtest/gtest.h>

#include "fixtures/test_pki.h"
#include "platform/com/activation.h"

namespace velsor::bridge {
namespace {

using nlohmann::json;

constexpr char kBank[] = "https://bank.example";

// The built module registered in a fresh user folder, as velsor-regsvr leaves it.
class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto module = LoadModule(VELSOR_MODULE_PATH);
    ASSERT_TRUE(module) << module.error().detail;
    using Entry = HRESULT (*)();
    ASSERT_EQ(reinterpret_cast<Entry>(ModuleFunction(*module, "DllRegisterServer"))(), S_OK);
  }

  Session MakeSession(std::size_t frameLimit = kMaxOutgoingFrame) {
    return Session(
        {.decide =
             [this](const Origin& origin) {
               return origin.Text() == kBank ? Decision::Allowed : denied;
             },
         .announceOrigin = [this](const Origin& origin) { announced.push_back(origin.Text()); },
         .frameLimit = frameLimit});
  }

  static json Ask(Session& session, json request) {
    const auto frames = session.Answer(request.dump());
    EXPECT_EQ(frames.size(), 1u);
    return frames.empty() ? json() : json::parse(frames.front());
  }

  static json Call(std::string member, json args = json::array(), std::string access = "call",
                   std::string origin = kBank) {
    return {{"id", 1}, {"origin", origin}, {"member", member}, {"access", access}, {"args", args}};
  }

  testing::ScopedVelsorHome home;
  Decision denied = Decision::Unknown;
  std::vector<std::string> announced;
};

TEST_F(SessionTest, AnAllowedOriginGetsItsOwnControlAndTheErrorValuesWithEveryReply) {
  Session first = MakeSession();
  Session second = MakeSession();
  const json version = Ask(first, Call("getVersion"));
  EXPECT_TRUE(version["result"].is_string()) << version;
  EXPECT_EQ(version["errorNum"], 0);
  EXPECT_EQ(version["errMsg"], "");
  EXPECT_EQ(announced, std::vector<std::string>{kBank});

  // Options set through one connection are not seen through another.
  EXPECT_FALSE(Ask(first, Call("MaxCompSize", {7}, "put")).contains("refused"));
  EXPECT_EQ(Ask(first, Call("maxcompsize", json::array(), "get"))["result"], 7);
  EXPECT_EQ(Ask(second, Call("MaxCompSize", json::array(), "get"))["result"], 51200);

  // A failing member reports through errorNum, as in-process.
  const json failed = Ask(first, Call("VLAttachedVerify", {"not a signature"}));
  EXPECT_NE(failed["errorNum"], 0);
  EXPECT_NE(failed["errMsg"], "");
}

TEST_F(SessionTest, OriginsTheUserDidNotAllowAreRefusedWithTheCommandThatAllowsThem) {
  Session session = MakeSession();
  const json unknown =
      Ask(session, Call("getVersion", json::array(), "call", "https://shop.example"));
  EXPECT_NE(unknown["refused"].get<std::string>().find("velsor bridge allow https://shop.example"),
            std::string::npos);
  denied = Decision::Denied;
  const json refused = Ask(session, Call("IsCertExists", {"CN=x"}, "call", "https://shop.example"));
  EXPECT_NE(refused["refused"].get<std::string>().find("you denied https://shop.example"),
            std::string::npos);
  EXPECT_TRUE(announced.empty()) << "no control is made for a refused origin";

  Session plain = MakeSession();
  EXPECT_NE(Ask(plain, Call("getVersion", json::array(), "call", "http://bank.example"))["refused"]
                .get<std::string>()
                .find("only https"),
            std::string::npos);
  EXPECT_TRUE(Ask(plain, Call("getVersion", json::array(), "call", "bank"))["refused"].is_string());
}

TEST_F(SessionTest, AConnectionServesOnlyTheOriginItStartedWith) {
  Session session = MakeSession();
  EXPECT_TRUE(Ask(session, Call("getVersion")).contains("result"));
  denied = Decision::Allowed;  // even an allowed origin may not take over the connection
  const json other =
      Ask(session, Call("getVersion", json::array(), "call", "https://other.example"));
  EXPECT_NE(other["refused"].get<std::string>().find("must open its own"), std::string::npos);
}

TEST_F(SessionTest, PolicyRefusalsFindMembersByIdentifierNotSpelling) {
  Session session = MakeSession();
  EXPECT_TRUE(Ask(session, Call("vlservermode", {1}, "put")).contains("refused"));
  EXPECT_TRUE(Ask(session, Call("VLADDFILE", {"/etc/passwd"})).contains("refused"));
  EXPECT_TRUE(
      Ask(session, Call("VLAttachedVerifySignedFile", {"/tmp/x.sign"})).contains("refused"));
  EXPECT_FALSE(Ask(session, Call("VLServerMode", {0}, "put")).contains("refused"));
  EXPECT_EQ(Ask(session, Call("NoSuchMember"))["failed"],
            "the control has no member named NoSuchMember");
}

TEST_F(SessionTest, BadInputIsRefusedAndTheSessionKeepsServing) {
  Session session = MakeSession();
  for (const std::string_view bad : {"not json", "{\"id\":1", "[]", "\"\xc3\x28\""}) {
    const auto frames = session.Answer(bad);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(json::parse(frames.front()).contains("refused")) << bad;
  }
  const auto oversized = session.RefuseOversized(100u << 20, "");
  EXPECT_NE(oversized.front().find("32 MiB"), std::string::npos);
  EXPECT_TRUE(Ask(session, Call("getVersion")).contains("result"));
}

TEST_F(SessionTest, BigRepliesLeaveInPiecesAndSplitRequestsAreJoined) {
  Session session = MakeSession(4096);
  const std::string text(20000, 'a');
  // The request itself arrives in pieces.
  const std::string request = Call("VLBase64Encode", {text}).dump();
  std::vector<std::string> frames;
  for (std::size_t at = 0, piece = 0; at < request.size(); at += 5000, ++piece) {
    frames = session.Answer(json{
        {"id", 1},
        {"origin", kBank},
        {"piece", piece},
        {"pieces", (request.size() + 4999) / 5000},
        {"text", request.substr(
                     at, 5000)}}.dump());
  }
  ASSERT_GT(frames.size(), 1u);
  std::string joined;
  for (const std::string& frame : frames) {
    EXPECT_LE(frame.size(), 4096u);
    joined += json::parse(frame)["text"].get<std::string>();
  }
  const json reply = json::parse(joined);
  EXPECT_EQ(reply["errorNum"], 0);
  std::string base64 = reply["result"].get<std::string>();
  std::erase(base64, '\n');
  EXPECT_EQ(base64.size(), 26668u);

  // Pieces whose joined text claims another origin than the extension named are refused.
  const std::string forged = Call("getVersion", json::array(), "call", kBank).dump();
  const auto refused = session.Answer(json{
      {"id", 1}, {"origin", "https://evil.example"}, {"piece", 0}, {"pieces", 1}, {"text", forged}}
                                          .dump());
  EXPECT_TRUE(json::parse(refused.front()).contains("refused"));
}

TEST_F(SessionTest, ARefusalAnswersTheIdItCanReadAndAlwaysFitsItsFrames) {
  Session session = MakeSession(4096);
  const auto refusalOf = [](const std::vector<std::string>& frames) {
    EXPECT_EQ(frames.size(), 1u);
    for (const std::string& frame : frames) EXPECT_LE(frame.size(), 4096u);
    return frames.empty() ? json() : json::parse(frames.front());
  };
  // A piece whose id is huge: refused without it, in one small frame.
  const json huge = refusalOf(session.Answer(
      json{{"id", std::string(2'100'000, '7')}, {"origin", kBank}, {"piece", 0}, {"pieces", 2},
           {"text", "{"}}.dump()));
  EXPECT_TRUE(huge["id"].is_null());
  EXPECT_NE(huge["refused"].get<std::string>().find("at most 64 bytes"), std::string::npos);

  // Half a surrogate pair, where a browser sorts the arguments before the id, and in a
  // piece cut between the halves: the refusal still answers the id.
  const json lone = refusalOf(session.Answer(
      R"({"access":"call","args":["ab\ud83d"],"id":7,"member":"VLSetPlainText","origin":"https://bank.example"})"));
  EXPECT_EQ(lone["id"], 7);
  EXPECT_NE(lone["refused"].get<std::string>().find("half a character"), std::string::npos);
  const json cut = refusalOf(session.Answer(
      R"({"id":"call-8","origin":"https://bank.example","piece":0,"pieces":2,"text":"\ude00xyz"})"));
  EXPECT_EQ(cut["id"], "call-8");
  const json brokenUtf8 = refusalOf(session.Answer("{\"args\":[\"\xed\xa0\xbd\"],\"id\":9}"));
  EXPECT_EQ(brokenUtf8["id"], 9);

  // Too big to read: the id stands in the head that was kept.
  const json big = refusalOf(session.RefuseOversized(
      40u << 20, R"({"id":12,"origin":"https://bank.example","member":"VLSetPlainText","args":["xxxx)"));
  EXPECT_EQ(big["id"], 12);
  EXPECT_NE(big["refused"].get<std::string>().find("32 MiB"), std::string::npos);
  EXPECT_TRUE(Ask(session, Call("getVersion")).contains("result"));
}

}  // namespace
}  // namespace velsor::bridge
