#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file/file_service.h"

namespace velsor::file {
namespace {

namespace fs = std::filesystem;

Bytes BytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::string Content(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A folder of this test's own in the user's temporary folder.
class FileServiceWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = UserTemporaryFolder() / ("velsor-file-test-" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(folder);
    ASSERT_TRUE(EnsurePrivateFolder(folder));
  }
  void TearDown() override { fs::remove_all(folder); }
  fs::path folder;
};

TEST_F(FileServiceWindowsTest, OnlyRegularFilesAreRead) {
  const fs::path file = folder / "data.bin";
  std::ofstream(file, std::ios::binary) << "content";
  EXPECT_EQ(ReadRegularFile(file, 100), BytesOf("content"));
  EXPECT_FALSE(ReadRegularFile(file, 6)) << "bigger than allowed";
  std::ofstream(folder / "empty.bin");
  EXPECT_FALSE(ReadRegularFile(folder / "empty.bin", 100));
  EXPECT_FALSE(ReadRegularFile(folder, 100)) << "a folder";
  EXPECT_FALSE(ReadRegularFile(folder / "missing.bin", 100));
  EXPECT_FALSE(ReadRegularFile(L"\\\\.\\NUL", 100)) << "a device";
}

TEST_F(FileServiceWindowsTest, ReplacingPutsTheWholeFileOrLeavesTheOldOne) {
  const fs::path target = folder / "saved.txt";
  ASSERT_TRUE(ReplaceFile(target, BytesOf("first"), false));
  EXPECT_EQ(Content(target), "first");
  ASSERT_TRUE(ReplaceFile(target, BytesOf("second, longer"), false));
  EXPECT_EQ(Content(target), "second, longer");
  EXPECT_FALSE(ReplaceFile(folder, BytesOf("x"), false)) << "a folder is never replaced";
  EXPECT_FALSE(ReplaceFile(folder / "missing" / "x.txt", BytesOf("x"), false));
  // No temporary file is left behind.
  std::size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 1u);
}

TEST_F(FileServiceWindowsTest, PrivateFilesAndFolders) {
  const fs::path inner = folder / "Tolvane";
  EXPECT_TRUE(EnsurePrivateFolder(inner));
  EXPECT_TRUE(EnsurePrivateFolder(inner)) << "an existing folder of the user's is fine";
  const fs::path viewed = inner / "temp.cer";
  ASSERT_TRUE(WritePrivateFile(viewed, BytesOf("certificate")));
  ASSERT_TRUE(WritePrivateFile(viewed, BytesOf("cert")));
  EXPECT_EQ(Content(viewed), "cert") << "rewriting empties the file first";
  EXPECT_FALSE(EnsurePrivateFolder(viewed)) << "a file is no folder";
  EXPECT_FALSE(WritePrivateFile(inner, BytesOf("x")));
  EXPECT_TRUE(RemoveFile(viewed));
  EXPECT_FALSE(RemoveFile(viewed));
}

}  // namespace
}  // namespace velsor::file
