#include "platform/com/guid.h"

#include <gtest/gtest.h>

namespace velsor {
namespace {

TEST(Guid, RoundTripsThroughTheRegistryForm) {
  const GUID g{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  EXPECT_EQ(GuidToString(g), "{00020400-0000-0000-C000-000000000046}");
  EXPECT_EQ(ParseGuid("{00020400-0000-0000-c000-000000000046}"), g);
}

TEST(Guid, RejectsMalformedText) {
  for (const char* bad :
       {"", "00020400-0000-0000-C000-000000000046", "{00020400-0000-0000-C000-00000000004}",
        "{00020400-0000-0000-C000-00000000004G}", "{00020400-0000-0000-C0000-00000000046}",
        "{00020400+0000-0000-C000-000000000046}"}) {
    EXPECT_FALSE(ParseGuid(bad)) << bad;
  }
}

}  // namespace
}  // namespace velsor
