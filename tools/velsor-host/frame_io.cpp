#include "frame_io.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace velsor::bridge {
namespace {

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

long FrameReader::ReadFully(char* into, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd_, into + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<long>(done);
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
  return WriteAll(fd, header, sizeof header) && WriteAll(fd, text.data(), text.size());
}

}  // namespace velsor::bridge
