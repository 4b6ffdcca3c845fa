// Reads held in one transaction must never keep a write from committing: not this
// connection's own, not another's once a dialog is about to wait on a person.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/base/storage/sqlite_db.h"
#include "platform/base/user_wait.h"

namespace velsor::storage {
namespace {

class HeldReadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/velsor-held-reads-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    first_ = Connect();
    second_ = Connect();
  }
  void TearDown() override {
    first_.reset();
    second_.reset();
    std::filesystem::remove_all(folder_);
  }
  std::shared_ptr<Database> Connect() const {
    auto opened = Database::Open(folder_ / "held.db", "CREATE TABLE IF NOT EXISTS t (x INTEGER);");
    EXPECT_TRUE(opened);
    return opened ? *opened : nullptr;
  }
  static std::int64_t Count(Database& database) {
    auto query = database.Prepare("SELECT count(*) FROM t");
    return query.Step() ? query.Integer(0) : -1;
  }
  static void Insert(Database& database) { database.Prepare("INSERT INTO t VALUES (1)").Run(); }

  std::filesystem::path folder_;
  std::shared_ptr<Database> first_, second_;
};

TEST_F(HeldReadsTest, AWriteOnTheHoldingConnectionCommitsOnItsOwn) {
  ASSERT_TRUE(first_->HoldReads());
  EXPECT_FALSE(first_->HoldReads()) << "held already";
  EXPECT_EQ(Count(*first_), 0);
  Insert(*first_);
  EXPECT_EQ(Count(*second_), 1) << "the insert waited for the reads to end";

  // A transaction of its own begins inside held reads, and commits.
  ASSERT_TRUE(first_->HoldReads());
  {
    Database::Transaction transaction(*first_);
    Insert(*first_);
    transaction.Commit();
  }
  EXPECT_EQ(Count(*second_), 2);
  first_->ReleaseReads();
}

TEST_F(HeldReadsTest, ADialogLetsAnotherConnectionWrite) {
  ASSERT_TRUE(first_->HoldReads());
  EXPECT_EQ(Count(*first_), 0);
  BeforeUserWait();
  // Held, this write would wait out the busy timeout and fail.
  Insert(*second_);
  EXPECT_EQ(Count(*first_), 1);
  // Let go of already: the release is a no-op now, and a new hold begins again.
  first_->ReleaseReads();
  EXPECT_TRUE(first_->HoldReads());
  first_->ReleaseReads();
}

TEST_F(HeldReadsTest, HoldingOnAnotherConnectionLetsGoOfTheFirst) {
  ASSERT_TRUE(first_->HoldReads());
  EXPECT_EQ(Count(*first_), 0);
  ASSERT_TRUE(second_->HoldReads());
  auto third = Connect();
  Insert(*third);  // waits for neither: the first let go, the second wrote nothing
  EXPECT_EQ(Count(*first_), 1);
  // A connection dropped while holding leaves nothing behind for the next dialog.
  second_.reset();
  BeforeUserWait();
  EXPECT_TRUE(third->HoldReads());
  third->ReleaseReads();
}

}  // namespace
}  // namespace velsor::storage
