#pragma once
// Registration scripts: a tree of keys with their values, applied to the registry and
// taken out of it again.
//
//   HKCR
//   {
//     Some.ProgID = s 'Description'
//     {
//       CLSID = s '{...}'
//     }
//     NoRemove CLSID
//     {
//       ForceRemove {...} = s 'Description'
//       {
//         InprocServer32 = s '%MODULE%'
//         {
//           val ThreadingModel = s 'Apartment'
//         }
//       }
//     }
//   }
//
// "ForceRemove" keys are deleted and written anew on registration and deleted with all
// they hold on unregistration; "NoRemove" keys are never deleted; other keys are deleted
// on unregistration once nothing is left below them. Values are strings; a '' inside a
// quoted text stands for one quote. %NAME% is replaced from the substitutions.

#include <map>
#include <string>
#include <string_view>

#include "platform/base/result.h"
#include "platform/registry/registry.h"

namespace velsor::registry {

using Substitutions = std::map<std::u16string, std::u16string>;

// E_INVALIDARG for a script that does not parse; nothing is written then.
Result<Done> RunRegistrationScript(Registry& registry, std::u16string_view script,
                                   const Substitutions& substitutions, bool registering);

}  // namespace velsor::registry
