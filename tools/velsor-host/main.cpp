// velsor-host: the native-messaging host that lets pages in a browser reach the control.
// The browser starts one per connection and talks to it over standard input and output;
// nothing else may ever be written to standard output.

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "allow_list.h"
#include "frame_io.h"
#include "host_process.h"
#include "protocol.h"
#include "session.h"

namespace {

constexpr char kUsage[] =
    "velsor-host: started by a browser for our extension, not by hand.\n"
    "Allow a page with 'velsor bridge allow ORIGIN'; install for a browser with\n"
    "'velsor bridge install'.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace velsor::bridge;
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  // Frames leave through a descriptor of our own; whatever a library might print to standard
  // output goes to the error stream instead of breaking the framing.
  const int toBrowser = TakeBrowserStreams();
  if (toBrowser < 0) {
    std::fprintf(stderr, "velsor-host: cannot set up its output\n");
    return 1;
  }
  if (!EnterControlThread()) {
    std::fprintf(stderr, "velsor-host: cannot prepare the thread for the control\n");
    return 1;
  }

  auto allowList = AllowList::Open();
  if (!allowList) {
    std::fprintf(stderr, "velsor-host: the allow-list cannot be read: %s\n",
                 allowList.error().detail.c_str());
  }
  SessionSettings settings{
      .decide =
          [&allowList](const Origin& origin) {
            return allowList ? allowList->DecisionFor(origin) : Decision::Denied;
          },
      .announceOrigin = [](const Origin& origin) { AnnouncePageOrigin(origin.Text()); },
  };
  Session session(std::move(settings));

  // Before anything is read: the extension learns at once whether it can talk to us.
  if (!WriteFrame(toBrowser, HelloFrame())) return 1;
  FrameReader reader(STDIN_FILENO, kMaxRequest);
  for (;;) {
    Frame frame = reader.Next();
    std::vector<std::string> replies;
    switch (frame.status) {
      case Frame::Status::Message:
        replies = session.Answer(frame.text);
        break;
      case Frame::Status::Oversized:
        replies = session.RefuseOversized(frame.announced, frame.text);
        break;
      case Frame::Status::End:
        return 0;
      case Frame::Status::Truncated:
        std::fprintf(stderr, "velsor-host: the browser closed the connection inside a message\n");
        return 0;
      case Frame::Status::Failed:
        std::fprintf(stderr, "velsor-host: reading from the browser failed\n");
        return 1;
    }
    for (const std::string& reply : replies) {
      // Replies are cut to fit; one that does not is dropped, never the connection.
      if (reply.size() > kMaxOutgoingFrame) {
        std::fprintf(stderr, "velsor-host: a reply of %zu bytes was too big to send\n",
                     reply.size());
        continue;
      }
      if (!WriteFrame(toBrowser, reply)) return 1;
    }
  }
}
