#include "platform/com/type_library_place.h"

#include <fstream>

#include "platform/base/storage/machine_data.h"
#include "platform/base/storage/velsor_home.h"

namespace velsor {

namespace {
constexpr char kTypeLibraryFile[] = "OmbrelVELSORLib20_64.idl";
}  // namespace

Result<std::optional<std::filesystem::path>> PlaceTypeLibrary(const std::filesystem::path&,
                                                              const GUID&,
                                                              std::string_view description,
                                                              bool registering) {
  // Registered for every user, the description lies where every user reads it.
  auto path = storage::MachineWide() ? storage::MachineFileToWrite(kTypeLibraryFile)
                                     : storage::PrivateUserFile(kTypeLibraryFile);
  if (!path) return path.error();
  if (registering) {
    std::ofstream file(*path, std::ios::binary | std::ios::trunc);
    file << description;
    if (!file.flush()) return Failure(E_FAIL, "cannot write the type library");
  } else {
    std::error_code ignored;
    std::filesystem::remove(*path, ignored);
  }
  return std::optional<std::filesystem::path>(*path);
}

}  // namespace velsor
