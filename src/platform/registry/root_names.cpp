#include <array>

#include "platform/registry/registry.h"

namespace velsor::registry {

std::optional<Root> RootNamed(std::u16string_view name) {
  struct Named {
    std::u16string_view name;
    Root root;
  };
  constexpr std::array kRoots{
      Named{u"HKEY_CLASSES_ROOT", Root::ClassesRoot},   Named{u"HKCR", Root::ClassesRoot},
      Named{u"HKEY_CURRENT_USER", Root::CurrentUser},   Named{u"HKCU", Root::CurrentUser},
      Named{u"HKEY_LOCAL_MACHINE", Root::LocalMachine}, Named{u"HKLM", Root::LocalMachine},
  };
  for (const Named& known : kRoots) {
    if (known.name == name) return known.root;
  }
  return std::nullopt;
}

}  // namespace velsor::registry
