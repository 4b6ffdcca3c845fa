#pragma once
// One browser connection: the frames it sends in, the frames that answer them. The
// connection's page is pinned by the first request's origin; its control object is
// activated through the registry on the first request the user's allow-list lets in, and
// lives as long as the connection, so nothing is shared between pages.

#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "allow_list.h"
#include "frame_io.h"
#include "message_pieces.h"
#include "origin.h"
#include "platform/com/activation.h"
#include "policy.h"
#include "request.h"

namespace velsor::bridge {

inline constexpr char16_t kControlProgId[] = u"Velsor.TolvaneVelsor20_64.1";

struct SessionSettings {
  std::function<Decision(const Origin&)> decide;
  // Told the page's origin once, before the control is made: the dialogs name it.
  std::function<void(const Origin&)> announceOrigin = {};
  std::u16string progId = kControlProgId;
  std::size_t frameLimit = kMaxOutgoingFrame;
};

class Session {
 public:
  explicit Session(SessionSettings settings);
  ~Session();

  // The frames that answer one frame from the browser (none while pieces are arriving).
  std::vector<std::string> Answer(std::string_view frame);
  // The answer to a frame that was too big to read, of which `head` was kept.
  std::vector<std::string> RefuseOversized(std::uint64_t length, std::string_view head);

 private:
  nlohmann::json Serve(const Request& request);
  nlohmann::json Invoke(const Request& request);
  // Why the origin is not served now; "" once it is and its control exists.
  std::string Admit(const Origin& origin);
  std::vector<std::string> Frames(const nlohmann::json& reply);
  std::optional<DISPID> IdOf(std::string_view member) const;

  SessionSettings settings_;
  PieceJoiner joiner_;
  std::optional<Origin> origin_;
  std::optional<ActivatedObject> control_;
  GuardedMembers guarded_;
};

nlohmann::json Refusal(const nlohmann::json& id, std::string_view text);

}  // namespace velsor::bridge
