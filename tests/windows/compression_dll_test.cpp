#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace velsor {
namespace {

using MemFunction = int (*)(const unsigned char*, int, unsigned char*, int*);

// The DLL that other programs load, found by the names they use.
TEST(CompressionDllTest, OtherProgramsFindBothFunctionsAndTheyRoundTrip) {
  HMODULE dll = LoadLibraryW(L"libvelsor_compression.dll");
  ASSERT_NE(dll, nullptr) << "the DLL loads with nothing but system libraries beside it";
  // Through void*: the generic FARPROC type does not match the functions' own.
  auto compress =
      reinterpret_cast<MemFunction>(reinterpret_cast<void*>(GetProcAddress(dll, "mem_compress")));
  auto uncompress =
      reinterpret_cast<MemFunction>(reinterpret_cast<void*>(GetProcAddress(dll, "mem_uncompress")));
  ASSERT_NE(compress, nullptr);
  ASSERT_NE(uncompress, nullptr);

  const std::string text(10000, 'z');
  unsigned char packed[2048];
  int packedLength = sizeof packed;
  ASSERT_EQ(compress(reinterpret_cast<const unsigned char*>(text.data()),
                     static_cast<int>(text.size()), packed, &packedLength),
            0);
  EXPECT_EQ(packed[0], 0x1F) << "a gzip member";
  std::string back(text.size(), '\0');
  int backLength = static_cast<int>(back.size());
  ASSERT_EQ(
      uncompress(packed, packedLength, reinterpret_cast<unsigned char*>(back.data()), &backLength),
      0);
  EXPECT_EQ(back, text);
  FreeLibrary(dll);
}

}  // namespace
}  // namespace velsor
