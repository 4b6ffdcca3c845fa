#include "formats/base64.h"

#include <gtest/gtest.h>

#include <string>

#include "formats/wide_base64.h"

namespace velsor::formats {
using namespace std::string_literals;

namespace {

std::string Encode(std::string_view data, bool lineBreaks) {
  const Result<std::string> text = Base64Encode(AsBytes(data), lineBreaks);
  EXPECT_TRUE(text);
  if (!text) return {};
  EXPECT_EQ(text->size(), Base64TextLength(data.size(), lineBreaks));
  return *text;
}

struct Decoded {
  HRESULT status;
  std::string bytes;
};

Decoded Decode(std::string_view text) {
  const Result<Bytes> bytes = Base64Decode(text);
  return {bytes.code(), bytes ? std::string(AsText(*bytes)) : std::string()};
}

TEST(Base64, EncodesGroupsAndPads) {
  EXPECT_EQ(Encode("abc", false), "YWJj");
  EXPECT_EQ(Encode("ab", false), "YWI=");
  EXPECT_EQ(Encode("a", false), "YQ==");
  EXPECT_EQ(Encode("", false), "");
  EXPECT_EQ(Encode("\xFF\xFE\x00"s, false), "//4A");
}

TEST(Base64, LineBreaksAfterEverySixtyFourCharactersAndAtTheEnd) {
  EXPECT_EQ(Encode("abc", true), "YWJj\n");
  EXPECT_EQ(Encode("", true), "\n");
  const std::string full = Encode(std::string(48, 'x'), true);
  EXPECT_EQ(full.size(), 65u);
  EXPECT_EQ(full.find('\n'), 64u);
  const std::string more = Encode(std::string(49, 'x'), true);
  ASSERT_EQ(more.size(), 70u);
  EXPECT_EQ(more[64], '\n');
  EXPECT_EQ(more.substr(65), "eA==\n");
  // The last group itself completes a line: 47 bytes give exactly 64 characters.
  EXPECT_EQ(Encode(std::string(47, 'x'), true).size(), 65u);
  EXPECT_EQ(Encode(std::string(96, 'x'), true).size(), 130u);
}

TEST(Base64, TheStreamingDecoderRefusesAnOutputShorterThanItsBytes) {
  Base64Decoder decoder;
  std::uint8_t one[1];
  EXPECT_EQ(decoder.Update("YWJj", one), 0u);
  EXPECT_TRUE(decoder.overflowed());
}

TEST(Base64, DecodingSkipsEverythingOutsideTheAlphabet) {
  EXPECT_EQ(Decode("YWJj").bytes, "abc");
  EXPECT_EQ(Decode("YW\r\nJj").bytes, "abc");
  EXPECT_EQ(Decode(" Y W J j ").bytes, "abc");
  EXPECT_EQ(Decode("Y-W_J\x80j\0"s).bytes, "abc");
  EXPECT_EQ(Decode("YQ==").bytes, "a");
  EXPECT_EQ(Decode("YWI=").bytes, "ab");
  EXPECT_EQ(Decode("YQ==YWJj").bytes, "a") << "decoding ends at the first padded group";
  EXPECT_EQ(Decode("YR==").bytes, "a") << "left-over bits are dropped untested";
}

TEST(Base64, IncompleteGroupsFail) {
  for (std::string_view text : {"YWJ", "YWJjY", "YWJjYW=", "Y"}) {
    Decoded d = Decode(text);
    EXPECT_EQ(d.status, status::kBase64DecodeFailed) << text;
    EXPECT_EQ(d.bytes, "") << text;
  }
  EXPECT_EQ(Decode("").status, S_OK);
}

TEST(Base64, MisplacedPadsEmptyTheWholeResult) {
  for (std::string_view text : {"=YWJ", "Y=Jj", "YW=j", "YWJjYW=j", "YWJj=AAA"}) {
    Decoded d = Decode(text);
    EXPECT_EQ(d.status, S_OK) << text;
    EXPECT_EQ(d.bytes, "") << text;
  }
}

TEST(Base64, StreamsCarryAcrossUpdates) {
  const std::string data = "streaming across several updates";
  Base64Encoder encoder(true);
  std::string text(200, '\0');
  std::size_t at = 0;
  for (std::size_t i = 0; i < data.size(); i += 5) {
    const auto piece = AsBytes(data).subspan(i, std::min<std::size_t>(5, data.size() - i));
    ASSERT_LE(encoder.UpdateRoom(piece.size()), text.size() - at);
    at += encoder.Update(piece, text.data() + at);
  }
  at += encoder.Finish(text.data() + at);
  text.resize(at);
  EXPECT_EQ(text, *Base64Encode(AsBytes(data)));

  Base64Decoder decoder;
  Bytes out(64);
  std::size_t written = 0;
  for (std::size_t i = 0; i < text.size(); i += 3) {
    written += decoder.Update(text.substr(i, 3), std::span(out).subspan(written));
  }
  EXPECT_TRUE(decoder.Finish());
  EXPECT_EQ(AsText(ByteView(out).first(written)), data);
}

TEST(Base64, RoundTripsEveryLength) {
  std::string data;
  for (int n = 0; n < 300; ++n) {
    const auto decoded = Base64Decode(*Base64Encode(AsBytes(data)));
    ASSERT_TRUE(decoded) << n;
    ASSERT_EQ(AsText(*decoded), data) << n;
    data.push_back(static_cast<char>(n * 37));
  }
}

}  // namespace
}  // namespace velsor::formats

namespace velsor::formats {
namespace {

// Everything a reader decodes, or nothing when it declined the text.
std::optional<std::string> ReadWide(std::u16string_view text) {
  WideBase64Reader reader(text);
  std::string all;
  for (;;) {
    const auto piece = reader.Next();
    if (!piece) return std::nullopt;
    if (piece->empty()) break;
    all += AsText(*piece);
  }
  if (!reader.Finish() || reader.emptied()) return std::nullopt;
  return all;
}

TEST(WideBase64, DecodesAsTheNarrowDecoderAcrossPieces) {
  std::string data;
  for (int i = 0; i < 40000; ++i) data.push_back(static_cast<char>(i * 7 + i / 300));
  const std::string text = Encode(data, true);
  ASSERT_GT(text.size(), 2 * WideBase64Reader::kUnitsAPiece);
  const std::u16string wide(text.begin(), text.end());
  EXPECT_EQ(ReadWide(wide), data);
  EXPECT_EQ(ReadWide(u" YW\tJj \r\n"), "abc");

  // A zero would end a converted text and anything outside ASCII is the code page's to
  // judge: the reader declines both, wherever they stand.
  std::u16string late = wide;
  late[late.size() - 3] = u'中';
  EXPECT_FALSE(ReadWide(late));
  EXPECT_FALSE(ReadWide(std::u16string(u"YW\0Jj", 5)));
  EXPECT_FALSE(ReadWide(u"YWJ")) << "a text that ends inside a group";
  EXPECT_FALSE(ReadWide(u"Y=Jj")) << "a misplaced pad";
}

}  // namespace
}  // namespace velsor::formats
