#pragma once
// The browsers' native-messaging framing: a 4-byte length in this machine's byte order,
// then that many bytes of UTF-8 JSON. A browser sends at most 64 MiB in one message and
// takes at most 1 MiB from us.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velsor::bridge {

inline constexpr std::size_t kMaxIncomingFrame = 64u << 20;
inline constexpr std::size_t kMaxOutgoingFrame = 1u << 20;
// What an oversized frame leaves in Frame::text: its first bytes, where its id may stand.
inline constexpr std::size_t kOversizedHeadKept = 4096;

struct Frame {
  enum class Status {
    Message,    // `text` holds the message
    End,        // the browser closed the connection between two messages
    Oversized,  // a length over the limit: its bytes were read and dropped, only the
                // first kOversizedHeadKept held
    Truncated,  // the connection ended inside a frame
    Failed,     // reading failed
  };
  Status status = Status::End;
  std::string text{};  // the message, or an oversized one's first bytes
  std::uint64_t announced = 0;  // the length the frame claimed
};

// Reads frames from a descriptor it does not own, whatever pieces the reads return.
class FrameReader {
 public:
  explicit FrameReader(int fd, std::size_t limit = kMaxIncomingFrame) : fd_(fd), limit_(limit) {}
  Frame Next();

 private:
  int fd_;
  std::size_t limit_;
};

// Writes one frame (at most kMaxOutgoingFrame bytes of text); false when it cannot.
bool WriteFrame(int fd, std::string_view text);

}  // namespace velsor::bridge
