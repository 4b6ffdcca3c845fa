#pragma once
// Asking the user for a token's PIN: what the crypt service asks and the dialog host
// answers. The crypt service knows nothing of dialogs; whoever uses a key passes a prompt,
// and a token key calls it only when its token wants a login.

#include <functional>
#include <string>

#include "platform/base/secret_bytes.h"

namespace velsor {

struct PinRequest {
  std::u16string token;   // the token's label
  std::u16string notice;  // empty, or what the token said about the last PIN tried
};

enum class PinOutcome { Entered, Cancelled, TimedOut };

struct PinAnswer {
  PinOutcome outcome = PinOutcome::Cancelled;
  SecretBytes pin;  // UTF-8
};

// Without a prompt nobody can be asked, and a login counts as cancelled.
using PinPrompt = std::function<PinAnswer(const PinRequest&)>;

}  // namespace velsor
