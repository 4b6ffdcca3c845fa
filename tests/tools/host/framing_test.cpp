#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "frame_io.h"
#include "message_pieces.h"
#include "request.h"

namespace velsor::bridge {
namespace {

// A pipe whose write end a test feeds in whatever pieces it likes.
struct Pipe {
  int read = -1;
  int write = -1;
  Pipe() {
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    read = ends[0];
    write = ends[1];
  }
  ~Pipe() {
    if (read >= 0) ::close(read);
    CloseWrite();
  }
  void CloseWrite() {
    if (write >= 0) ::close(write);
    write = -1;
  }
  void Put(std::string_view bytes) const {
    ASSERT_EQ(::write(write, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
};

std::string Header(std::uint32_t length) {
  std::string header(sizeof length, '\0');
  std::memcpy(header.data(), &length, sizeof length);
  return header;
}

TEST(FramingTest, FramesArriveWholeWhateverPiecesTheReadsReturn) {
  Pipe pipe;
  const std::string message = R"({"id":1})";
  std::thread writer([&] {
    // The header and the body in single bytes, with pauses between them.
    const std::string frame = Header(static_cast<std::uint32_t>(message.size())) + message;
    for (const char byte : frame) {
      pipe.Put(std::string_view(&byte, 1));
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    pipe.Put(Header(2) + "{}");
    pipe.CloseWrite();
  });
  FrameReader reader(pipe.read);
  const Frame first = reader.Next();
  EXPECT_EQ(first.status, Frame::Status::Message);
  EXPECT_EQ(first.text, message);
  EXPECT_EQ(reader.Next().text, "{}");
  EXPECT_EQ(reader.Next().status, Frame::Status::End);
  writer.join();
}

TEST(FramingTest, EndInsideAFrameIsTruncatedNotAMessage) {
  for (const std::string& cut : {Header(10).substr(0, 2), Header(10) + "12345"}) {
    Pipe pipe;
    pipe.Put(cut);
    pipe.CloseWrite();
    FrameReader reader(pipe.read);
    EXPECT_EQ(reader.Next().status, Frame::Status::Truncated);
  }
}

TEST(FramingTest, AnOversizedLengthIsSkippedWithoutHoldingItAndTheNextFrameIsRead) {
  Pipe pipe;
  // A small limit stands in for the real one; the announced bytes are drained and only
  // their head is kept.
  std::thread writer([&] {
    pipe.Put(Header(300000) + std::string(300000, 'x'));
    pipe.Put(Header(2) + "{}");
    pipe.CloseWrite();
  });
  FrameReader reader(pipe.read, 1000);
  const Frame skipped = reader.Next();
  EXPECT_EQ(skipped.status, Frame::Status::Oversized);
  EXPECT_EQ(skipped.announced, 300000u);
  EXPECT_EQ(skipped.text, std::string(kOversizedHeadKept, 'x'));
  EXPECT_EQ(reader.Next().text, "{}");
  writer.join();
}

TEST(FramingTest, ALengthOverTheBrowsersLimitIsNeverAllocated) {
  Pipe pipe;
  pipe.Put(Header(0xFFFFFFFFu) + "abc");
  pipe.CloseWrite();
  FrameReader reader(pipe.read);
  const Frame frame = reader.Next();
  EXPECT_EQ(frame.status, Frame::Status::Truncated);
  EXPECT_EQ(frame.announced, 0xFFFFFFFFu);
  EXPECT_EQ(frame.text.capacity() < 1024, true);
}

TEST(FramingTest, WritesRefuseTextOverTheBrowsersLimit) {
  Pipe pipe;
  EXPECT_FALSE(WriteFrame(pipe.write, std::string(kMaxOutgoingFrame + 1, 'x')));
  EXPECT_TRUE(WriteFrame(pipe.write, "{}"));
  pipe.CloseWrite();
  EXPECT_EQ(FrameReader(pipe.read).Next().text, "{}");
}

TEST(PiecesTest, ABigMessageIsSplitIntoFittingPiecesAndJoinedBack) {
  // Quotes and non-ASCII text grow when escaped, and must not be cut inside a character.
  std::string message = R"({"id":9,"result":")";
  for (int i = 0; i < 200000; ++i) message += i % 7 == 0 ? "\\\"" : "签";
  message += "\"}";
  const std::size_t limit = 64 * 1024;
  const auto frames = SplitIntoFrames(message, 9, limit);
  ASSERT_GT(frames.size(), 1u);
  PieceJoiner joiner;
  std::optional<std::string> whole;
  for (const std::string& frame : frames) {
    EXPECT_LE(frame.size(), limit);
    const auto piece = ParseJson(frame);
    ASSERT_TRUE(piece && IsPiece(*piece));
    EXPECT_EQ((*piece)["id"], 9);
    auto outcome = joiner.Add(*piece);
    EXPECT_TRUE(outcome.refusal.empty()) << outcome.refusal;
    if (outcome.whole) whole = std::move(outcome.whole);
  }
  EXPECT_EQ(whole, message);
  EXPECT_EQ(SplitIntoFrames("{}", 1, limit), std::vector<std::string>{"{}"});
}

TEST(PiecesTest, PiecesOutOfTheirSeriesAreRefused) {
  using nlohmann::json;
  PieceJoiner joiner;
  const auto piece = [](json id, int at, int of) {
    return json{{"id", id}, {"piece", at}, {"pieces", of}, {"text", "ab"}};
  };
  EXPECT_FALSE(joiner.Add(piece(1, 1, 2)).refusal.empty()) << "a series starts at 0";
  EXPECT_TRUE(joiner.Add(piece(1, 0, 3)).refusal.empty());
  EXPECT_FALSE(joiner.Add(piece(2, 1, 3)).refusal.empty()) << "another id";
  EXPECT_TRUE(joiner.Add(piece(1, 0, 2)).refusal.empty());
  EXPECT_FALSE(joiner.Add(piece(1, 1, 3)).refusal.empty()) << "another count";
  EXPECT_FALSE(joiner.Add(piece(1, 0, 0)).refusal.empty());
  EXPECT_FALSE(joiner.Add(piece(1, 0, 100000)).refusal.empty());
  EXPECT_FALSE(joiner.Add(json{{"piece", 0}, {"pieces", 1}}).refusal.empty());
  const auto joined = joiner.Add(json{{"id", 3}, {"piece", 0}, {"pieces", 1}, {"text", "{}"}});
  EXPECT_EQ(joined.whole, "{}");
}

}  // namespace
}  // namespace velsor::bridge
