#pragma once
// What the host tells the extension first, on every connection: its version and the
// protocol of the messages it understands. The extension and the page library compare the
// protocol with their own and tell the page which side to update when they differ.

#include <string>

namespace velsor::bridge {

// Raised whenever a message changes shape; extension/background.js, extension/content.js
// and web/velsor.js carry the same number (a test keeps them equal).
inline constexpr int kProtocol = 1;

// {"id": null, "hello": {"version": "2.0.59.4", "protocol": 1}}
std::string HelloFrame();

}  // namespace velsor::bridge
