#include <gtest/gtest.h>

#include "platform/base/der.h"

namespace velsor::der {
namespace {

TEST(DerCursorTest, ElementsAreReadWholeOrNotAtAll) {
  const Bytes input{0x30, 0x03, 0x02, 0x01, 0x05, 0x04, 0x05, 0xAA};
  Cursor cursor(input);
  Header header;
  ByteView whole;
  const auto sequence = cursor.ReadElement(header, &whole);
  ASSERT_TRUE(sequence);
  EXPECT_EQ(header.tag.number, 16);
  EXPECT_EQ(header.tag.classByte, kConstructed);
  EXPECT_EQ(whole.size(), 5u);
  EXPECT_EQ(sequence->size(), 3u);
  // Five content octets announced, one there: nothing is consumed.
  EXPECT_FALSE(cursor.ReadElement(header));
  EXPECT_EQ(cursor.position(), 5u);
  EXPECT_FALSE(cursor.Take(4));
  EXPECT_EQ(cursor.Take(3)->size(), 3u);
  EXPECT_EQ(cursor.ReadHeader().code(), CRYPT_E_ASN1_EOD);
}

TEST(DerCursorTest, IdentifiersAndLengthsAtTheirLimits) {
  const Bytes highTag{0x9F, 0x87, 0x68, 0x00};  // context-specific [1000]
  Cursor high(highTag);
  const Result<Header> read = high.ReadHeader();
  ASSERT_TRUE(read);
  EXPECT_EQ(read->tag.number, 1000);
  EXPECT_EQ(read->tag.classByte, kContextSpecific);

  for (const Bytes& bad : {Bytes{0x1F, 0x80, 0x80, 0x80, 0x80, 0x80, 0x01, 0x00},  // 6 tag octets
                           Bytes{0x1F, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 0x00},        // over 32 bits
                           Bytes{0x1F, 0x81},                                      // cut short
                           Bytes{0x04, 0x85, 0x01, 0x00, 0x00, 0x00, 0x00},  // 5 length octets
                           Bytes{0x04, 0x84, 0x80, 0x00, 0x00, 0x00},        // over 2^31-1
                           Bytes{0x04, 0x82, 0x01}}) {                       // cut short
    Cursor cursor(bad);
    EXPECT_EQ(cursor.ReadHeader().code(), CRYPT_E_ASN1_CORRUPT);
  }
  const Bytes indefinite{0x30, 0x80, 0x00, 0x00};
  Cursor open(indefinite, Encoding::Ber);
  const Result<Header> openHeader = open.ReadHeader();
  ASSERT_TRUE(openHeader);
  EXPECT_TRUE(openHeader->indefinite);
  Header header;
  Cursor again(indefinite, Encoding::Ber);
  EXPECT_FALSE(again.ReadElement(header)) << "DER has no indefinite lengths";
  EXPECT_EQ(again.position(), 0u);
}

TEST(DerCursorTest, DerIsStrictAndBerIsAskedFor) {
  for (const Bytes& longer : {Bytes{0x04, 0x81, 0x01, 0xAA},        // a short length, long form
                              Bytes{0x04, 0x82, 0x00, 0x81, 0xAA},  // a leading zero octet
                              Bytes{0x1F, 0x1E, 0x01, 0xAA},        // tag 30 in high form
                              Bytes{0x1F, 0x80, 0x21, 0x01, 0xAA},  // a leading zero group
                              Bytes{0x30, 0x80, 0x00, 0x00}}) {     // indefinite
    Cursor der(longer);
    EXPECT_EQ(der.ReadHeader().code(), CRYPT_E_ASN1_CORRUPT);
    Cursor ber(longer, Encoding::Ber);
    EXPECT_TRUE(ber.ReadHeader());
  }
  Header header;
  const Bytes longForm{0x04, 0x81, 0x01, 0xAA};
  Cursor strict(longForm);
  EXPECT_FALSE(strict.ReadElement(header));
  EXPECT_EQ(strict.position(), 0u);
  Cursor ber(longForm, Encoding::Ber);
  ASSERT_TRUE(ber.ReadElement(header));
  EXPECT_EQ(header.tag, kOctetString);
  EXPECT_EQ(header.length, 1);
}

TEST(DerCursorTest, ANamedTagChecksClassConstructionAndNumber) {
  const Bytes input{0xA0, 0x03, 0x02, 0x01, 0x07, 0x10, 0x00};
  Cursor cursor(input);
  EXPECT_FALSE(cursor.Read(kSequence)) << "context-specific is not universal";
  EXPECT_FALSE(cursor.Read(ContextTag(1)));
  ByteView whole;
  const auto explicitZero = cursor.Read(ContextTag(0), &whole);
  ASSERT_TRUE(explicitZero);
  EXPECT_EQ(whole.size(), 5u);
  Cursor inside(*explicitZero);
  EXPECT_FALSE(inside.Read(kOctetString));
  EXPECT_EQ(inside.Read(kInteger)->size(), 1u);
  EXPECT_FALSE(cursor.Read(kSequence)) << "0x10 is a primitive SEQUENCE, which is no SEQUENCE";
  EXPECT_EQ(cursor.position(), 5u);
}

TEST(DerCursorTest, WhatTheWriterWritesTheCursorReads) {
  for (const std::int32_t tag : {0, 30, 31, 127, 128, 16383, 2097152}) {
    for (const std::int32_t length : {0, 127, 128, 255, 256, 65536}) {
      Bytes encoded;
      ASSERT_TRUE(AppendIdentifier(encoded, kContextSpecific | kConstructed, tag));
      ASSERT_TRUE(AppendLength(encoded, length));
      Cursor cursor(encoded);
      ASSERT_TRUE(cursor.ReadIdentifier());
      EXPECT_EQ(cursor.position(), static_cast<std::size_t>(IdentifierSize(tag)));
      cursor.Rewind(0);
      const Result<Header> header = cursor.ReadHeader();
      ASSERT_TRUE(header) << tag << " " << length;
      EXPECT_EQ(header->tag.number, tag);
      EXPECT_EQ(header->length, length);
      EXPECT_EQ(header->tag.classByte, kContextSpecific | kConstructed);
      EXPECT_EQ(cursor.remaining(), 0u);
    }
  }
  Bytes refused;
  EXPECT_FALSE(AppendIdentifier(refused, 0, -1));
  EXPECT_FALSE(AppendLength(refused, -1));
  EXPECT_TRUE(refused.empty());
}

}  // namespace
}  // namespace velsor::der
