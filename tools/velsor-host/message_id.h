#pragma once
// The id a reply answers. Ids are echoed into every frame of a reply, so only small plain
// values are taken; and a message that cannot be taken is still answered with its id when
// one can be read, so that the page waiting for it learns why.

#include <nlohmann/json.hpp>
#include <string_view>

namespace velsor::bridge {

inline constexpr std::size_t kMaxIdLength = 64;

// `id` when it is an integer or a string of at most kMaxIdLength bytes without control
// characters, quotes or backslashes; else null.
nlohmann::json UsableId(const nlohmann::json& id);

// The usable top-level "id" of a message that may not parse: a text holding half a
// character (a lone surrogate, a broken UTF-8 sequence) or cut short after its id. Null
// when none can be read.
nlohmann::json ReadableId(std::string_view message);

}  // namespace velsor::bridge
