// On Windows the machine's registry is the system's, written by whoever registers with
// the rights to: nothing of ours is kept for every user.

#include "platform/base/storage/machine_data.h"

namespace velsor::storage {

bool MachineWide() { return false; }

Result<std::optional<std::filesystem::path>> MachineFileToRead(const std::string&) {
  return std::optional<std::filesystem::path>();
}

Result<std::filesystem::path> MachineFileToWrite(const std::string&) {
  return Failure(E_NOTIMPL, "the system keeps what is registered for the machine");
}

}  // namespace velsor::storage
