#include "platform/crypt/dn_text.h"

#include <gtest/gtest.h>

namespace velsor::crypt {
namespace {

using Pieces = std::vector<std::u16string>;

TEST(DnTextTest, NormalisingPutsTheSeparatorThePlatformWrites) {
  EXPECT_EQ(NormalizeDn(u"C=CN,O=X,CN=Y"), u"C=CN, O=X, CN=Y");
  EXPECT_EQ(NormalizeDn(u"C=CN, O=X"), u"C=CN, O=X") << "a comma with its space is left alone";
  EXPECT_EQ(NormalizeDn(u"CN=a,"), u"CN=a, ");
}

TEST(DnTextTest, PiecesAtTheSeparatorKeepEmptyOnes) {
  EXPECT_EQ(DnPieces(u"a||b|", u"|"), (Pieces{u"a", u"", u"b", u""}));
  EXPECT_EQ(DnPieces(u"a|b", u""), Pieces{u"a|b"}) << "an empty separator cuts nothing";
  EXPECT_EQ(DnPieces(u"a##b", u"##"), (Pieces{u"a", u"b"}));
  EXPECT_EQ(DnPieces(u"", u"|"), Pieces{u""});
  EXPECT_EQ(CountSeparators(u"a###b####c", u"##"), 3u) << "matches do not overlap";
  EXPECT_EQ(CountSeparators(u"a|b", u""), 0u);
}

TEST(DnTextTest, ReversingTurnsTheRdnsAround) {
  EXPECT_EQ(ReverseDnOrder(u"CN=Alice Zhang, OU=Testing, O=Velsor, C=CN"),
            u"C=CN, O=Velsor, OU=Testing, CN=Alice Zhang");
  EXPECT_EQ(ReverseDnOrder(u"CN=Name,O=Org,C=CN"), u"C=CN, O=Org, CN=Name");
  EXPECT_EQ(ReverseDnOrder(u"O=\"Org, Inc.\", CN=x"), u"CN=x, Inc.\", O=\"Org")
      << "a comma inside a value counts like any other";
  EXPECT_EQ(ReverseDnOrder(u"CN=only"), u"CN=only");
}

TEST(DnTextTest, TheShortNameFallsBackThroughTheKeys) {
  EXPECT_EQ(ShortNameOfDn(u"C=CN, O=Velsor, CN=Alice, OU=x"), u"Alice");
  EXPECT_EQ(ShortNameOfDn(u"C=CN, O=Velsor, OU=Unit, E=a@b"), u"a@b");
  EXPECT_EQ(ShortNameOfDn(u"C=CN, O=Velsor, OU=Unit"), u"Unit");
  EXPECT_EQ(ShortNameOfDn(u"C=CN, O=Velsor"), u"Velsor");
  EXPECT_EQ(ShortNameOfDn(u"C=CN, L=City"), u"C=CN, L=City");
  EXPECT_EQ(ShortNameOfDn(u"cn=lower"), u"cn=lower") << "the search is case-sensitive";
}

TEST(DnTextTest, AnExactDnIsTheWholeTextWithTheShortNameInTheSimpleText) {
  const ExactDn exact(u"C=CN,O=Velsor,CN=Alice");
  EXPECT_TRUE(exact.Matches(u"C=CN, O=Velsor, CN=Alice", u"CN, Velsor, ALICE"));
  EXPECT_FALSE(exact.Matches(u"C=CN, O=Velsor, CN=Alice, OU=x", u"CN, Velsor, Alice, x"))
      << "the whole text, not a part";
  EXPECT_FALSE(exact.Matches(u"C=CN, O=Velsor, CN=Alice", u"CN, Velsor"))
      << "the simple text must hold the short name";
}

}  // namespace
}  // namespace velsor::crypt
