#include "frame_io.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/base/file_descriptor.h"

namespace velsor::bridge {
namespace {

// Whether `size` bytes arrived whole: Message when they did, Truncated when the input
// ended first, Failed when reading failed.
Frame::Status Fill(int fd, char* into, std::size_t size) {
  const auto got = ReadFully(fd, into, size);
  if (!got) return Frame::Status::Failed;
  return *got == size ? Frame::Status::Message : Frame::Status::Truncated;
}

}  // namespace

Frame FrameReader::Next() {
  char header[sizeof(std::uint32_t)];
  const auto headerBytes = ReadFully(fd_, header, sizeof header);
  if (!headerBytes) return {Frame::Status::Failed};
  if (*headerBytes == 0) return {Frame::Status::End};
  if (*headerBytes < sizeof header) return {Frame::Status::Truncated};
  std::uint32_t length = 0;
  std::memcpy(&length, header, sizeof length);

  if (length > limit_) {
    // Drop the announced bytes in small pieces so the stream stays in step; only the
    // first few are kept, for the id of the refusal.
    std::array<char, 64 * 1024> sink;
    std::string head;
    for (std::uint64_t left = length; left > 0;) {
      const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(left, sink.size()));
      if (const auto status = Fill(fd_, sink.data(), piece); status != Frame::Status::Message) {
        return {status, {}, length};
      }
      if (head.empty()) head.assign(sink.data(), std::min(piece, kOversizedHeadKept));
      left -= piece;
    }
    return {Frame::Status::Oversized, std::move(head), length};
  }
  Frame frame{Frame::Status::Message, std::string(length, '\0'), length};
  if (const auto status = Fill(fd_, frame.text.data(), length); status != Frame::Status::Message) {
    return {status, {}, length};
  }
  return frame;
}

bool WriteFrame(int fd, std::string_view text) {
  if (text.size() > kMaxOutgoingFrame) return false;
  const auto length = static_cast<std::uint32_t>(text.size());
  char header[sizeof length];
  std::memcpy(header, &length, sizeof length);
  return WriteFully(fd, header, sizeof header) && WriteFully(fd, text.data(), text.size());
}

}  // namespace velsor::bridge
