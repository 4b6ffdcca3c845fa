// What a browser sends velsor-host: frames read from a descriptor, joined from pieces,
// parsed as requests, their origins judged and the guarded members checked. The origin is
// refused at the allow-list, so no control is made. Every reply must fit its frame and
// answer a usable id (or none), whatever ids and half characters the frames hold.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "frame_io.h"
#include "message_id.h"
#include "policy.h"
#include "session.h"

namespace {

void CheckReplies(const std::vector<std::string>& replies) {
  using namespace velsor::bridge;
  for (const std::string& reply : replies) {
    if (reply.size() > 512) __builtin_trap();  // a reply frame over its limit
    const auto parsed = ParseJson(reply);
    if (!parsed || !parsed->is_object()) __builtin_trap();
    const nlohmann::json id = parsed->value("id", nlohmann::json());
    if (UsableId(id) != id) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velsor::bridge;
  const int fd = memfd_create("frames", 0);
  if (fd < 0) return 0;
  if (::write(fd, data, size) != static_cast<ssize_t>(size) || ::lseek(fd, 0, SEEK_SET) != 0) {
    ::close(fd);
    return 0;
  }
  Session session({.decide = [](const Origin&) { return Decision::Denied; }, .frameLimit = 512});
  FrameReader reader(fd, 4096);
  for (Frame frame = reader.Next();
       frame.status == Frame::Status::Message || frame.status == Frame::Status::Oversized;
       frame = reader.Next()) {
    if (frame.status == Frame::Status::Oversized) {
      CheckReplies(session.RefuseOversized(frame.announced, frame.text));
      continue;
    }
    CheckReplies(session.Answer(frame.text));
    if (auto message = ParseJson(frame.text)) {
      const ParsedRequest parsed = ParseRequest(std::move(*message));
      if (parsed.request) {
        GuardedMembers guarded{6, {8, 40, 50}};
        PolicyRefusal(guarded, 6, parsed.request->access, parsed.request->args);
      }
    }
  }
  ::close(fd);
  return 0;
}
