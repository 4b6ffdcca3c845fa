#include "formats/form_text_container.h"

#include <gtest/gtest.h>

#include <string>

namespace velsor::formats {
namespace {

using namespace std::string_literals;

std::string Serialized(const FormTextContainer& container) {
  const Result<Bytes> text = container.Serialize();
  EXPECT_TRUE(text);
  return text ? std::string(AsText(*text)) : std::string();
}

std::string Item(const FormTextContainer& c, int i) { return std::string(AsText(*c.GetItem(i))); }

TEST(FormText, WorkedExamplesBothWays) {
  FormTextContainer items;
  ASSERT_TRUE(items.AddItem(AsBytes("abc")));
  EXPECT_EQ(Serialized(items), "0000001100000003abc00000000");
  ASSERT_TRUE(items.AddItem(AsBytes("de")));
  EXPECT_EQ(Serialized(items), "0000002100000003abc00000002de00000000");

  FormTextContainer files;
  ASSERT_TRUE(files.AddFile(AsBytes("a.txt"), AsBytes("hi")));
  EXPECT_EQ(Serialized(files), "00000000000000230000001500000005a.txthi");

  FormTextContainer parsed;
  ASSERT_TRUE(parsed.Parse(AsBytes("0000001100000003abc00000000")));
  EXPECT_EQ(parsed.ItemCount(), 1);
  EXPECT_EQ(Item(parsed, 0), "abc");
  ASSERT_TRUE(parsed.Parse(AsBytes("0000002100000003abc00000002de00000000")));
  EXPECT_EQ(parsed.ItemCount(), 2);
  EXPECT_EQ(Item(parsed, 1), "de");
  EXPECT_EQ(parsed.FileCount(), 0);
  ASSERT_TRUE(parsed.Parse(AsBytes("00000000000000230000001500000005a.txthi")));
  EXPECT_EQ(parsed.ItemCount(), 0);
  ASSERT_EQ(parsed.FileCount(), 1);
  EXPECT_EQ(AsText(parsed.GetFile(0)->name), "a.txt");
  EXPECT_EQ(AsText(parsed.GetFile(0)->content), "hi");
}

TEST(FormText, ItemsAndFilesTogetherRoundTrip) {
  FormTextContainer c;
  c.AddItem(AsBytes("first"));
  c.AddFile(AsBytes("x.bin"), AsBytes("\0\1\2"s));
  c.AddItem(AsBytes("second"));
  c.AddFile(AsBytes("名.txt"), AsBytes("content"));
  const std::string text = Serialized(c);
  EXPECT_EQ(text.substr(0, 8), "00000027") << "items total 8+5 + 8+6";
  FormTextContainer back;
  ASSERT_TRUE(back.Parse(AsBytes(text)));
  EXPECT_EQ(Serialized(back), text);
  EXPECT_EQ(Item(back, 0), "first");
  EXPECT_EQ(AsText(back.GetFile(0)->content), "\0\1\2"s);
  EXPECT_EQ(AsText(back.GetFile(1)->name), "名.txt");
  EXPECT_FALSE(back.GetFile(2));
  EXPECT_FALSE(back.GetItem(-1));
}

TEST(FormText, EmptyContainerAndEmptyEntries) {
  FormTextContainer c;
  EXPECT_EQ(Serialized(c), "");
  EXPECT_EQ(c.AddItem({}).code(), status::kMissingInput);
  EXPECT_EQ(c.AddFile(AsBytes("n"), {}).code(), status::kMissingInput);
  EXPECT_EQ(c.AddFile({}, AsBytes("c")).code(), status::kMissingInput);
  EXPECT_EQ(c.FileCount(), 0);
  EXPECT_EQ(c.Parse(ByteView()).code(), status::kMissingInput);
}

TEST(FormText, TextsNotInTheFormatFailAndEmptyTheContainer) {
  for (std::string text : {"an ordinary signed text"s, "abcdefgh00000003abc"s,
                           "00000099"
                           "00000003abc"s,  // total beyond the text
                           "00000011"
                           "00000009abc00000000"s,  // entry beyond the text
                           "00000000"
                           "00000015"
                           "00000007"
                           "00000000"s,  // empty name
                           "00000000"
                           "00000015"
                           "00000007"
                           "00000009ab"s,  // N + 8 > R
                           "00000000"s, ""s}) {
    FormTextContainer c;
    c.AddItem(AsBytes("kept?"));
    EXPECT_EQ(c.Parse(AsBytes(text)).code(), status::kFailed) << text;
    EXPECT_EQ(c.ItemCount(), 0) << text;
  }
}

TEST(FormText, ParseStopsWhereTheFormatSays) {
  FormTextContainer c;
  // The items stop at their total; bytes after the last file entry are ignored.
  ASSERT_TRUE(
      c.Parse(AsBytes("0000001100000003abc"
                      "00000023"
                      "0000001500000005a.txthi"
                      "junk")));
  EXPECT_EQ(c.ItemCount(), 1);
  EXPECT_EQ(c.FileCount(), 1);
  // Exactly eight bytes after the items are the files total and are not examined.
  ASSERT_TRUE(c.Parse(AsBytes("0000001100000003abcXXXXXXXX")));
  EXPECT_EQ(c.ItemCount(), 1);
}

TEST(FormText, SerializeRefusesNumbersOverEightDigits) {
  FormTextContainer c;
  const Bytes big(99'999'992, 'x');  // an item of 8 + 99999992 = 100000000 bytes
  ASSERT_TRUE(c.AddItem(big));
  EXPECT_EQ(c.Serialize().code(), status::kFormTextTooLarge);
  FormTextContainer fits;
  ASSERT_TRUE(fits.AddItem(ByteView(big).first(99'999'991)));
  const Result<Bytes> text = fits.Serialize();
  ASSERT_TRUE(text);
  EXPECT_EQ(AsText(ByteView(*text).first(8)), "99999999");

  FormTextContainer file;
  ASSERT_TRUE(file.AddFile(AsBytes("n"), ByteView(big).first(99'999'984)));
  EXPECT_EQ(file.Serialize().code(), status::kFormTextTooLarge)
      << "files total 8 + 8 + 1 + 99999984";
}

}  // namespace
}  // namespace velsor::formats
