#pragma once
// What the machine holds for every user: the machine-wide registry and the type library
// registered with it, in /var/lib/velsor (or $VELSOR_MACHINE_HOME). Root writes there, when
// a program asks for machine-wide registration (VELSOR_MACHINE_WIDE=1, as
// `velsor-regsvr --machine` sets it); every user reads. A folder or file that anyone but its
// owner may write, or whose owner is neither root nor the writer, is refused: whoever could
// change it could point every user's activation at a module of their choosing.

#include <filesystem>
#include <optional>
#include <string>

#include "platform/base/result.h"

namespace velsor::storage {

// Whether this process registers for the whole machine.
bool MachineWide();

// The machine's file `name`, to read: nothing when the file does not exist; an error when
// it exists but may not be trusted.
Result<std::optional<std::filesystem::path>> MachineFileToRead(const std::string& name);

// The machine's file `name`, to write: the folder is made (0755) and the file created
// (0644) when missing.
Result<std::filesystem::path> MachineFileToWrite(const std::string& name);

}  // namespace velsor::storage
