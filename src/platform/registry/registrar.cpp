#include "platform/registry/registrar.h"

#include <cctype>
#include <optional>
#include <vector>

namespace velsor::registry {
namespace {

enum class Removal { Normal, Force, Never };

struct ScriptKey {
  std::u16string name;
  Removal removal = Removal::Normal;
  std::optional<std::u16string> defaultValue{};
  std::vector<std::pair<std::u16string, std::u16string>> values{};
  std::vector<ScriptKey> subkeys{};
};

struct ScriptRoot {
  Root root;
  std::vector<ScriptKey> keys;
};

// Reads the script's words, quoted texts and braces in order.
class Scanner {
 public:
  Scanner(std::u16string_view text, const Substitutions& substitutions)
      : text_(text), substitutions_(substitutions) {}

  bool AtEnd() {
    SkipSpace();
    return at_ >= text_.size();
  }
  bool Accept(std::u16string_view symbol) {
    SkipSpace();
    if (text_.substr(at_, symbol.size()) != symbol) return false;
    // A word matches only whole.
    const std::size_t end = at_ + symbol.size();
    if (IsWordChar(symbol.back()) && end < text_.size() && IsWordChar(text_[end])) return false;
    at_ = end;
    return true;
  }
  std::optional<std::u16string> Word() {
    SkipSpace();
    const std::size_t start = at_;
    while (at_ < text_.size() && IsWordChar(text_[at_])) ++at_;
    if (at_ == start) return std::nullopt;
    return Substitute(text_.substr(start, at_ - start));
  }
  std::optional<std::u16string> Quoted() {
    SkipSpace();
    if (at_ >= text_.size() || text_[at_] != u'\'') return std::nullopt;
    std::u16string value;
    for (++at_; at_ < text_.size(); ++at_) {
      if (text_[at_] != u'\'') {
        value.push_back(text_[at_]);
      } else if (at_ + 1 < text_.size() && text_[at_ + 1] == u'\'') {
        value.push_back(u'\'');
        ++at_;
      } else {
        ++at_;
        return Substitute(value);
      }
    }
    return std::nullopt;
  }

 private:
  static bool IsWordChar(char16_t c) {
    return c > u' ' && c != u'{' && c != u'}' && c != u'=' && c != u'\'';
  }
  void SkipSpace() {
    while (at_ < text_.size() && text_[at_] <= u' ') ++at_;
  }
  std::u16string Substitute(std::u16string_view text) const {
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const std::size_t close = text[i] == u'%' ? text.find(u'%', i + 1) : std::u16string::npos;
      if (close != std::u16string::npos) {
        const auto found = substitutions_.find(std::u16string(text.substr(i + 1, close - i - 1)));
        if (found != substitutions_.end()) {
          out += found->second;
          i = close;
          continue;
        }
      }
      out.push_back(text[i]);
    }
    return out;
  }

  std::u16string_view text_;
  const Substitutions& substitutions_;
  std::size_t at_ = 0;
};

std::optional<std::u16string> StringValue(Scanner& scanner) {
  if (!scanner.Accept(u"=") || !scanner.Accept(u"s")) return std::nullopt;
  return scanner.Quoted();
}

bool ParseBody(Scanner& scanner, ScriptKey& key);

std::optional<ScriptKey> ParseKey(Scanner& scanner) {
  ScriptKey key;
  if (scanner.Accept(u"ForceRemove")) {
    key.removal = Removal::Force;
  } else if (scanner.Accept(u"NoRemove")) {
    key.removal = Removal::Never;
  }
  auto name = scanner.Word();
  if (!name) return std::nullopt;
  key.name = std::move(*name);
  if (!scanner.Accept(u"=")) {
    if (scanner.Accept(u"{") && !ParseBody(scanner, key)) return std::nullopt;
    return key;
  }
  if (!scanner.Accept(u"s")) return std::nullopt;
  key.defaultValue = scanner.Quoted();
  if (!key.defaultValue) return std::nullopt;
  if (scanner.Accept(u"{") && !ParseBody(scanner, key)) return std::nullopt;
  return key;
}

// After an opening brace: values and subkeys up to the closing one.
bool ParseBody(Scanner& scanner, ScriptKey& key) {
  while (!scanner.Accept(u"}")) {
    if (scanner.AtEnd()) return false;
    if (scanner.Accept(u"val")) {
      auto name = scanner.Word();
      auto value = name ? StringValue(scanner) : std::nullopt;
      if (!value) return false;
      key.values.emplace_back(std::move(*name), std::move(*value));
      continue;
    }
    auto subkey = ParseKey(scanner);
    if (!subkey) return false;
    key.subkeys.push_back(std::move(*subkey));
  }
  return true;
}

std::optional<std::vector<ScriptRoot>> Parse(std::u16string_view script,
                                             const Substitutions& substitutions) {
  Scanner scanner(script, substitutions);
  std::vector<ScriptRoot> roots;
  while (!scanner.AtEnd()) {
    auto rootName = scanner.Word();
    const auto root = rootName ? RootNamed(*rootName) : std::nullopt;
    if (!root || !scanner.Accept(u"{")) return std::nullopt;
    ScriptKey holder;
    if (!ParseBody(scanner, holder) || !holder.values.empty()) return std::nullopt;
    roots.push_back({*root, std::move(holder.subkeys)});
  }
  return roots;
}

std::u16string Child(std::u16string_view parent, std::u16string_view name) {
  return parent.empty() ? std::u16string(name)
                        : std::u16string(parent) + u"\\" + std::u16string(name);
}

Result<Done> Register(Registry& registry, Root root, std::u16string_view parent,
                      const ScriptKey& key) {
  const std::u16string path = Child(parent, key.name);
  if (key.removal == Removal::Force && registry.KeyExists(root, path)) {
    if (auto removed = registry.DeleteTree(root, path); !removed) return removed;
  }
  if (auto created = registry.CreateKey(root, path); !created) return created;
  if (key.defaultValue) {
    if (auto set = registry.SetValue(root, path, u"", {REG_SZ, *key.defaultValue}); !set)
      return set;
  }
  for (const auto& [name, value] : key.values) {
    if (auto set = registry.SetValue(root, path, name, {REG_SZ, value}); !set) return set;
  }
  for (const ScriptKey& subkey : key.subkeys) {
    if (auto done = Register(registry, root, path, subkey); !done) return done;
  }
  return Done{};
}

Result<Done> Unregister(Registry& registry, Root root, std::u16string_view parent,
                        const ScriptKey& key) {
  const std::u16string path = Child(parent, key.name);
  if (!registry.KeyExists(root, path)) return Done{};
  if (key.removal == Removal::Force) return registry.DeleteTree(root, path);
  for (const ScriptKey& subkey : key.subkeys) {
    if (auto done = Unregister(registry, root, path, subkey); !done) return done;
  }
  if (key.removal == Removal::Never) return Done{};
  auto left = registry.SubKeys(root, path);
  if (!left) return left.error();
  if (!left->empty()) return Done{};
  return registry.DeleteTree(root, path);
}

}  // namespace

Result<Done> RunRegistrationScript(Registry& registry, std::u16string_view script,
                                   const Substitutions& substitutions, bool registering) {
  const auto roots = Parse(script, substitutions);
  if (!roots) return Failure(E_INVALIDARG, "the registration script does not parse");
  for (const ScriptRoot& root : *roots) {
    for (const ScriptKey& key : root.keys) {
      auto done = registering ? Register(registry, root.root, u"", key)
                              : Unregister(registry, root.root, u"", key);
      if (!done) return done;
    }
  }
  return Done{};
}

}  // namespace velsor::registry
