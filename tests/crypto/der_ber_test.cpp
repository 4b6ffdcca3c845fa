#include <gmock/gmock.h>

#include "crypto/ber_decoder.h"
#include "crypto/der_encoder.h"

namespace velsor::crypto {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

Bytes Encoded(const DerContext& context) {
  EXPECT_FALSE(context.HasOpenElements());
  return Bytes(context.Encoding().begin(), context.Encoding().end());
}

TEST(DerEncode, Integers) {
  const std::pair<std::int32_t, Bytes> cases[] = {
      {0, {2, 1, 0}},
      {1, {2, 1, 1}},
      {127, {2, 1, 0x7F}},
      {128, {2, 2, 0, 0x80}},
      {-1, {2, 1, 0xFF}},
      {-128, {2, 1, 0x80}},
      {-129, {2, 2, 0xFF, 0x7F}},
      {0x7FFFFFFF, {2, 4, 0x7F, 0xFF, 0xFF, 0xFF}},
      {INT32_MIN, {2, 4, 0x80, 0, 0, 0}},
  };
  for (const auto& [value, expected] : cases) {
    DerContext context;
    EXPECT_EQ(DerEncode(context, "i", value), static_cast<std::int32_t>(expected.size()));
    EXPECT_EQ(Encoded(context), expected) << value;
  }
  DerContext enumerated;
  DerEncode(enumerated, "e", 5);
  EXPECT_THAT(Encoded(enumerated), ElementsAre(10, 1, 5));
}

TEST(DerEncode, ObjectIdentifiersInsideConstructedElements) {
  DerContext context;
  const std::int32_t sha1[] = {1, 3, 14, 3, 2, 26};
  EXPECT_EQ(DerEncode(context, "[{On}]", sha1, 6), 13);
  EXPECT_THAT(Encoded(context), ElementsAre(0x31, 0x0B, 0x30, 0x09, 0x06, 0x05, 0x2B, 0x0E, 0x03,
                                            0x02, 0x1A, 0x05, 0x00));
  DerContext data;
  const std::int32_t pkcs7Data[] = {1, 2, 840, 113549, 1, 7, 1};
  DerEncode(data, "{O}", pkcs7Data, 7);
  EXPECT_THAT(Encoded(data), ElementsAre(0x30, 0x0B, 0x06, 0x09, 0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D,
                                         0x01, 0x07, 0x01));
}

TEST(DerEncode, ObjectIdentifierLimits) {
  const std::int32_t arcs[51] = {1, 2};
  for (std::int32_t count : {1, 51}) {
    DerContext context;
    EXPECT_FALSE(DerEncode(context, "O", arcs, count)) << count;
  }
  const std::int32_t badFirst[] = {3, 1};
  const std::int32_t badSecond[] = {2, 40};
  const std::int32_t negative[] = {1, 2, -5};
  for (const std::int32_t* bad : {badFirst, badSecond, negative}) {
    DerContext context;
    EXPECT_FALSE(DerEncode(context, "O", bad, bad == negative ? 3 : 2));
  }
}

TEST(DerEncode, ContextTagsAndLongLengths) {
  DerContext explicitTag;
  const std::uint8_t integer[] = {2, 1, 5};
  EXPECT_EQ(DerEncode(explicitTag, "(A)", 0, integer, 3), 5);
  EXPECT_THAT(Encoded(explicitTag), ElementsAre(0xA0, 0x03, 0x02, 0x01, 0x05));

  for (std::int32_t size : {200, 300, 70000}) {
    const Bytes content(static_cast<std::size_t>(size), 0x42);
    DerContext context;
    DerEncode(context, "{A}", content.data(), size);
    const Bytes out = Encoded(context);
    const Bytes header = size == 200   ? Bytes{0x30, 0x81, 0xC8}
                         : size == 300 ? Bytes{0x30, 0x82, 0x01, 0x2C}
                                       : Bytes{0x30, 0x83, 0x01, 0x11, 0x70};
    EXPECT_TRUE(std::equal(header.begin(), header.end(), out.begin())) << size;
    EXPECT_EQ(out.size(), header.size() + content.size());
    EXPECT_EQ(out.back(), 0x42);
  }
}

TEST(DerEncode, HexIntegers) {
  DerContext a;
  EXPECT_EQ(DerEncode(a, "I", "1A2", 3), 4);
  EXPECT_THAT(Encoded(a), ElementsAre(2, 2, 0x01, 0xA2));
  DerContext b;
  DerEncode(b, "I", "ff", 2);
  EXPECT_THAT(Encoded(b), ElementsAre(2, 1, 0xFF)) << "no sign byte is added";
  DerContext c;
  DerEncode(c, "I", "", 0);
  EXPECT_THAT(Encoded(c), ElementsAre(2, 0));
  DerContext wrongLength, badDigit, tooLong;
  EXPECT_FALSE(DerEncode(wrongLength, "I", "FF", 3));
  EXPECT_FALSE(DerEncode(badDigit, "I", "0G", 2));
  const std::string digits(258, '1');
  EXPECT_FALSE(DerEncode(tooLong, "I", digits.c_str(), 258));
}

TEST(DerEncode, PrimitivesAndStrings) {
  DerContext context;
  const std::uint8_t bits[] = {0xFF, 0xFF};
  const std::uint8_t text[] = {'h', 'i'};
  DerEncode(context, "{bnB", 1, bits, 12);
  DerEncode(context, "PmugB}", text, 2, text, 2, "230101000000Z", "20230101000000Z", bits, 0);
  EXPECT_THAT(
      Encoded(context),
      ElementsAreArray(Bytes{0x30, 0x35, 0x01, 0x01, 0xFF, 0x05, 0x00, 0x03, 0x03, 0x04, 0xFF,
                             0xF0, 0x13, 0x02, 'h',  'i',  0x1E, 0x02, 'h',  'i',  0x17, 0x0D,
                             '2',  '3',  '0',  '1',  '0',  '1',  '0',  '0',  '0',  '0',  '0',
                             '0',  'Z',  0x18, 0x0F, '2',  '0',  '2',  '3',  '0',  '1',  '0',
                             '1',  '0',  '0',  '0',  '0',  '0',  '0',  'Z',  0x03, 0x01, 0x00}));
}

TEST(DerEncode, TagOverridesApplyToOneElement) {
  DerContext implicitTag;
  const std::uint8_t two[] = {0xAA, 0xBB};
  EXPECT_EQ(DerEncode(implicitTag, "To", 0, 0x80, two, 2), 4);
  EXPECT_THAT(Encoded(implicitTag), ElementsAre(0x80, 0x02, 0xAA, 0xBB));

  DerContext highTag;
  DerEncode(highTag, "to", 31, two, 2);
  EXPECT_THAT(Encoded(highTag), ElementsAre(0x1F, 0x1F, 0x02, 0xAA, 0xBB));

  DerContext once;
  DerEncode(once, "Too", 1, 0x80, two, 1, two, 1);
  EXPECT_THAT(Encoded(once), ElementsAre(0x81, 0x01, 0xAA, 0x04, 0x01, 0xAA));

  DerContext closing;
  DerEncode(closing, "{i)", 1);
  EXPECT_THAT(Encoded(closing), ElementsAre(0xB0, 0x03, 0x02, 0x01, 0x01))
      << "the closing character alone decides the flag";
}

TEST(DerEncode, ElementsStayOpenAcrossCalls) {
  DerContext context;
  EXPECT_EQ(DerEncode(context, "{{"), 0);
  EXPECT_TRUE(context.HasOpenElements());
  EXPECT_EQ(DerEncode(context, "i}", 7), 5);
  EXPECT_EQ(DerEncode(context, "n}"), 4);
  EXPECT_THAT(Encoded(context), ElementsAre(0x30, 0x07, 0x30, 0x03, 0x02, 0x01, 0x07, 0x05, 0x00));
}

TEST(DerEncode, BufferGrowsInSteps) {
  DerContext context;
  EXPECT_EQ(context.Capacity(), 8192u);
  const Bytes big(20000, 1);
  DerEncode(context, "{o}", big.data(), 20000);
  EXPECT_EQ(context.Capacity(), 3u * 8192u);
  EXPECT_EQ(Encoded(context).size(), 20000u + 4 + 4);
}

TEST(DerEncode, Failures) {
  for (std::string_view format : {"}", ")", "?"}) {
    DerContext context;
    EXPECT_FALSE(context.Encode(format, {})) << format;
  }
  DerContext badTag, negativeTag, negativeLength, negativeBits;
  EXPECT_FALSE(DerEncode(badTag, "(", -1));
  EXPECT_EQ(DerEncode(negativeTag, "(", -2), 0) << "fails only when closed";
  EXPECT_FALSE(DerEncode(negativeTag, ")"));
  const std::uint8_t byte = 0;
  EXPECT_FALSE(DerEncode(negativeLength, "o", &byte, -1));
  EXPECT_FALSE(DerEncode(negativeBits, "B", &byte, -1));
  DerContext missing;
  EXPECT_FALSE(missing.Encode("i", {})) << "an argument the format needs is missing";
}

TEST(BerDecode, NestedIntegers) {
  std::int32_t value = 0;
  BerContext negative(Bytes{0x31, 0x05, 0x30, 0x03, 0x02, 0x01, 0xFF});
  EXPECT_TRUE(BerDecode(negative, "[{i", &value));
  EXPECT_EQ(value, -1);
  BerContext positive(Bytes{0x31, 0x06, 0x30, 0x04, 0x02, 0x02, 0x00, 0x80});
  EXPECT_TRUE(BerDecode(positive, "[{i", &value));
  EXPECT_EQ(value, 128);
  BerContext tooLong(Bytes{0x02, 0x05, 1, 2, 3, 4, 5});
  EXPECT_EQ(BerDecode(tooLong, "i", &value).code(), CRYPT_E_ASN1_CORRUPT);
}

TEST(BerDecode, WholeElementsAndHex) {
  BerContext context(Bytes{0x30, 0x06, 0x30, 0x00, 0x02, 0x02, 0x00, 0xFF});
  Bytes element;
  std::int32_t length = 0;
  std::string hex;
  std::int32_t hexLength = 0;
  EXPECT_TRUE(BerDecode(context, "{$I}", &element, &length, &hex, &hexLength));
  EXPECT_THAT(element, ElementsAre(0x30, 0x00));
  EXPECT_EQ(length, 2);
  EXPECT_EQ(hex, "00FF");
  EXPECT_EQ(hexLength, 4);

  BerContext then(Bytes{0x04, 0x02, 0xAA, 0xBB, 0x05, 0x00});
  EXPECT_TRUE(BerDecode(then, "$", &element, &length));
  EXPECT_THAT(element, ElementsAre(0x04, 0x02, 0xAA, 0xBB));
  EXPECT_TRUE(BerDecode(then, "n")) << "reading goes on where the last call stopped";
  EXPECT_EQ(then.position(), 6u);
  EXPECT_EQ(BerDecode(then, "n").code(), CRYPT_E_ASN1_EOD);
}

TEST(BerDecode, EndAndTruncation) {
  BerContext empty(Bytes{});
  EXPECT_EQ(BerDecode(empty, "{").code(), CRYPT_E_ASN1_EOD);
  BerContext lone(Bytes{0x30});
  EXPECT_EQ(BerDecode(lone, "{").code(), CRYPT_E_ASN1_CORRUPT);
  Bytes element;
  std::int32_t length = 0;
  BerContext shortContent(Bytes{0x04, 0x05, 1, 2});
  EXPECT_EQ(BerDecode(shortContent, "o", &element, &length).code(), CRYPT_E_ASN1_CORRUPT);
  BerContext hugeLength(Bytes{0x04, 0x84, 0x7F, 0xFF, 0xFF, 0xFF, 1});
  EXPECT_EQ(BerDecode(hugeLength, "$", &element, &length).code(), CRYPT_E_ASN1_CORRUPT)
      << "a length is never trusted beyond the input";
  BerContext overLong(Bytes{0x04, 0x84, 0x80, 0x00, 0x00, 0x00});
  EXPECT_EQ(BerDecode(overLong, "x").code(), CRYPT_E_ASN1_CORRUPT);
  BerContext fiveLengthBytes(Bytes{0x04, 0x85, 0, 0, 0, 0, 1});
  EXPECT_EQ(BerDecode(fiveLengthBytes, "x").code(), CRYPT_E_ASN1_CORRUPT);
  BerContext indefinite(Bytes{0x30, 0x80, 0x05, 0x00});
  EXPECT_TRUE(BerDecode(indefinite, "{n"));
}

TEST(BerDecode, ObjectIdentifiersAndBooleans) {
  std::vector<std::int32_t> arcs;
  std::int32_t count = 0;
  BerContext oid(Bytes{0x06, 0x09, 0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x02});
  EXPECT_TRUE(BerDecode(oid, "O", &arcs, &count));
  EXPECT_THAT(arcs, ElementsAre(1, 2, 840, 113549, 1, 7, 2));
  EXPECT_EQ(count, 7);
  BerContext badFirst(Bytes{0x06, 0x01, 0x78});
  EXPECT_EQ(BerDecode(badFirst, "O", &arcs, &count).code(), CRYPT_E_ASN1_CORRUPT);
  BerContext unfinished(Bytes{0x06, 0x02, 0x2A, 0x86});
  EXPECT_EQ(BerDecode(unfinished, "O", &arcs, &count).code(), CRYPT_E_ASN1_CORRUPT);

  std::uint8_t flag = 0;
  BerContext notBoolean(Bytes{0x01, 0x01, 0x01});
  EXPECT_EQ(BerDecode(notBoolean, "b", &flag).code(), CRYPT_E_ASN1_CORRUPT);
  BerContext yes(Bytes{0x01, 0x01, 0xFF});
  EXPECT_TRUE(BerDecode(yes, "b", &flag));
  EXPECT_EQ(flag, 0xFF);
}

TEST(BerDecode, PeekBitStringsTextsAndTags) {
  BerContext context(Bytes{0xA0, 0x03, 0x03, 0x01, 0x00, 0x03, 0x03, 0x04, 0xFF, 0xFF, 0x17, 0x02,
                           '2', '3', 0x16, 0x01, 'x'});
  std::int32_t tag = -1;
  std::uint8_t classByte = 0;
  EXPECT_TRUE(BerDecode(context, "t", &tag, &classByte));
  EXPECT_EQ(tag, 0);
  EXPECT_EQ(classByte, 0xA0);
  EXPECT_EQ(context.position(), 0u) << "a peek consumes nothing";
  Bytes bits;
  std::int32_t bitCount = -1;
  EXPECT_TRUE(BerDecode(context, "(B", &bits, &bitCount));
  EXPECT_EQ(bitCount, 0);
  EXPECT_TRUE(BerDecode(context, "B", &bits, &bitCount));
  EXPECT_THAT(bits, ElementsAre(0xFF, 0xF0));
  EXPECT_EQ(bitCount, 12);
  char small[2];
  BerContext copy = context;
  EXPECT_EQ(BerDecode(copy, "u", std::span<char>(small)).code(), CRYPT_E_ASN1_CORRUPT)
      << "the caller's buffer must hold the text and its zero";
  char time[16];
  std::string ia5;
  EXPECT_TRUE(BerDecode(context, "ua", std::span<char>(time), &ia5));
  EXPECT_STREQ(time, "23");
  EXPECT_EQ(ia5, "x");
}

TEST(BerDecode, HighTagNumbers) {
  std::int32_t tag = 0;
  std::uint8_t classByte = 0;
  BerContext high(Bytes{0x9F, 0x81, 0x00, 0x00});
  EXPECT_TRUE(BerDecode(high, "t", &tag, &classByte));
  EXPECT_EQ(tag, 128);
  EXPECT_EQ(classByte, 0x80);
  BerContext tooLong(Bytes{0x1F, 0x81, 0x81, 0x81, 0x81, 0x81, 0x01, 0x00});
  EXPECT_EQ(BerDecode(tooLong, "x").code(), CRYPT_E_ASN1_CORRUPT);
  EXPECT_EQ(tooLong.position(), 0u) << "the identifier bytes read are put back";
}

TEST(DerBer, RoundTrip) {
  DerContext context;
  const std::int32_t oid[] = {1, 2, 840, 113549, 1, 7, 2};
  const std::uint8_t octets[] = {1, 2, 3};
  ASSERT_GT(
      DerEncode(context, "{OT(iI)o}", oid, 7, 0, 0x80, 0, -300, "00C3", 4, octets, 3).value_or(-1),
      0);
  BerContext back(Encoded(context));
  std::vector<std::int32_t> arcs;
  std::int32_t count = 0, value = 0, hexLength = 0, length = 0;
  std::string hex;
  Bytes bytes;
  ASSERT_TRUE(
      BerDecode(back, "{O(iI)o}", &arcs, &count, &value, &hex, &hexLength, &bytes, &length));
  EXPECT_EQ(count, 7);
  EXPECT_EQ(value, -300);
  EXPECT_EQ(hex, "00C3");
  EXPECT_THAT(bytes, ElementsAre(1, 2, 3));
}

}  // namespace
}  // namespace velsor::crypto
