#include "frame_io.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/base/file_descriptor.h"

namespace velsor::bridge {
long FrameReader::ReadFully(char* into, std::size_t size) {
  const auto got = velsor::ReadFully(fd_, into, size);
  return got ? static_cast<long>(*got) : -1;
}

Frame FrameReader::Next() {
  std::uint32_t length = 0;
  char header[sizeof length];
  const long headerBytes = ReadFully(header, sizeof header);
  if (headerBytes < 0) return {Frame::Status::Failed};
  if (headerBytes == 0) return {Frame::Status::End};
  if (headerBytes < static_cast<long>(sizeof header)) return {Frame::Status::Truncated};
  std::memcpy(&length, header, sizeof length);

  if (length > limit_) {
    // Drop the announced bytes in small pieces so the stream stays in step.
    std::array<char, 64 * 1024> sink;
    std::uint64_t left = length;
    while (left > 0) {
      const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(left, sink.size()));
      const long got = ReadFully(sink.data(), piece);
      if (got < 0) return {Frame::Status::Failed, {}, length};
      if (static_cast<std::size_t>(got) < piece) return {Frame::Status::Truncated, {}, length};
      left -= piece;
    }
    return {Frame::Status::Oversized, {}, length};
  }
  Frame frame{Frame::Status::Message, std::string(length, '\0'), length};
  const long got = ReadFully(frame.text.data(), length);
  if (got < 0) return {Frame::Status::Failed, {}, length};
  if (static_cast<std::size_t>(got) < length) return {Frame::Status::Truncated, {}, length};
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
