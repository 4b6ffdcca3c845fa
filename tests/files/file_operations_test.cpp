#include "files/file_operations.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "fixtures/test_files.h"
#include "platform/codepage/utf.h"
#include "platform/ui/scripted_dialog_host.h"

namespace velsor::files {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

class FileOperationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velsor-files-XXXXXX";
    folder = mkdtemp(pattern);
  }
  void TearDown() override { fs::remove_all(folder); }

  Result<FileContents> Read(const fs::path& path) {
    return ReadFileByDialog(host, u"Open", u"*.*", codepage::Utf8ToUtf16(path.string()));
  }
  Result<Done> Save(const fs::path& path, std::string_view text) {
    return SaveFileByDialog(host, u"Save", u"*.*", u"", AsBytes(text), path);
  }
  std::size_t EntriesInFolder() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
  }

  fs::path folder;
  ui::ScriptedDialogHost host;
};

TEST_F(FileOperationsTest, SpecialFilesAreRefusedAtOnceAsPathsAndAsSaveTargets) {
  const fs::path fifo = folder / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const fs::path original = folder / "original";
  WriteFile(original, AsBytes(std::string_view("kept")));
  const fs::path linked = folder / "second-name";
  ASSERT_EQ(::link(original.c_str(), linked.c_str()), 0);

  // A FIFO would block an open for reading or writing until a peer comes: both return.
  for (const fs::path& special : {fifo, fs::path("/dev/null"), fs::path("/dev/zero")}) {
    EXPECT_EQ(Read(special).code(), status::kFailed) << special;
    EXPECT_EQ(Save(special, "x").code(), status::kFailed) << special;
  }
  EXPECT_EQ(Read(folder).code(), status::kFailed) << "a folder";

  EXPECT_TRUE(Read(linked)) << "reading through another name is harmless";
  EXPECT_EQ(Save(linked, "written through").code(), status::kFailed) << "a hard link at the target";
  EXPECT_EQ(AsText(ReadFile(original)), "kept");
  EXPECT_EQ(EntriesInFolder(), 3u) << "no temporary file is left behind";
}

TEST_F(FileOperationsTest, ASaveReplacesWholeOrNotAtAll) {
  const fs::path target = folder / "received.txt";
  ASSERT_TRUE(Save(target, "first"));
  ::chmod(target.c_str(), 0640);
  ASSERT_TRUE(Save(target, "second, longer"));
  EXPECT_EQ(AsText(ReadFile(target)), "second, longer");
  struct stat info {};
  ::stat(target.c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0640u) << "a replaced file keeps its permissions";

  const fs::path elsewhere = folder / "elsewhere";
  WriteFile(elsewhere, AsBytes(std::string_view("not mine")));
  const fs::path link = folder / "link";
  fs::create_symlink(elsewhere, link);
  EXPECT_EQ(Save(link, "x").code(), status::kFailed) << "a named target's link is not followed";
  EXPECT_EQ(AsText(ReadFile(elsewhere)), "not mine");

  // A file system that is full: the file-size limit stands in for it.
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = ::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const Result<Done> onFullDisk = Save(target, std::string(100000, 'z'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previous);
  EXPECT_EQ(onFullDisk.code(), status::kFailed);
  EXPECT_EQ(AsText(ReadFile(target)), "second, longer") << "the earlier file is intact";
  EXPECT_EQ(EntriesInFolder(), 3u) << "no temporary file is left behind";
}

}  // namespace
}  // namespace velsor::files
