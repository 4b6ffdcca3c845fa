#include "module/registration.h"

#include "control/ombrel_tolvane_velsor.h"
#include "module/type_library.h"
#include "platform/base/storage/machine_data.h"
#include "platform/base/storage/velsor_home.h"
#include "platform/codepage/utf.h"
#include "platform/com/type_library_place.h"
#include "platform/registry/registrar.h"

namespace velsor::module {
namespace {

constexpr std::u16string_view kClassScript =
    uR"(HKCR
{
  Velsor.TolvaneVelsor20_64.1 = s 'TolvaneVelsor20_64 Class'
  {
    CLSID = s '%CLSID%'
  }
  Velsor.TolvaneVelsor20_64 = s 'TolvaneVelsor20_64 Class'
  {
    CLSID = s '%CLSID%'
    CurVer = s 'Velsor.TolvaneVelsor20_64.1'
  }
  NoRemove CLSID
  {
    ForceRemove %CLSID% = s 'TolvaneVelsor20_64 Class'
    {
      ProgID = s 'Velsor.TolvaneVelsor20_64.1'
      VersionIndependentProgID = s 'Velsor.TolvaneVelsor20_64'
      ForceRemove Programmable
      InprocServer32 = s '%MODULE%'
      {
        val ThreadingModel = s 'Apartment'
      }
      ForceRemove CtlSettings
      {
        val stubPath = s '%STUBPATH%'
      }
      ForceRemove Control
      ForceRemove Insertable
      ForceRemove ToolboxBitmap32 = s '%MODULE%, 101'
      MiscStatus = s '0'
      {
        1 = s '131473'
      }
      TypeLib = s '%LIBID%'
      Version = s '1.0'
    }
  }
}
)";

// The type library's description, written beside the user's data, and the interfaces it
// describes.
constexpr std::u16string_view kTypeLibraryScript =
    uR"(HKCR
{
  NoRemove TypeLib
  {
    ForceRemove %LIBID%
    {
      1.0 = s 'OmbrelVelsor 2.0 64bit Type Library'
      {
        FLAGS = s '0'
        HELPDIR = s '%MODULEDIR%'
        0
        {
          linux64 = s '%TYPELIB%'
        }
      }
    }
  }
  NoRemove Interface
  {
    ForceRemove %IID% = s 'IOmbrelTolvaneVelsor20_64'
    {
      ProxyStubClsid32 = s '{00020424-0000-0000-C000-000000000046}'
      TypeLib = s '%LIBID%'
      {
        val Version = s '1.0'
      }
    }
    ForceRemove %EVENTSIID% = s '_IOmbrelTolvaneVelsorEvents20_64'
    {
      ProxyStubClsid32 = s '{00020420-0000-0000-C000-000000000046}'
      TypeLib = s '%LIBID%'
      {
        val Version = s '1.0'
      }
    }
  }
}
)";

std::u16string Text(const GUID& guid) { return codepage::AsciiToUtf16(GuidToString(guid)); }

HRESULT Run(const std::filesystem::path& modulePath, bool registering) {
  auto registry = registry::Registry::Open();
  if (!registry) return registry.code();
  auto typeLibrary = PlaceTypeLibrary(modulePath, LIBID_OmbrelVELSORLib20_64,
                                     TypeLibraryDescription(), registering);
  if (!typeLibrary) return typeLibrary.code();
  // Registered for the machine, each user's files go to the user's own folder, named when
  // they are saved.
  std::u16string stubPath = codepage::Utf8ToUtf16(storage::kUserFolderVariable) + u"/velsorStub/";
  if (!storage::MachineWide()) {
    if (auto home = storage::VelsorHome()) {
      stubPath = codepage::Utf8ToUtf16((*home / "velsorStub").string()) + u"/";
    }
  }
  const registry::Substitutions substitutions{
      {u"MODULE", codepage::Utf8ToUtf16(modulePath.string())},
      {u"MODULEDIR", codepage::Utf8ToUtf16(modulePath.parent_path().string())},
      {u"STUBPATH", stubPath},
      {u"TYPELIB", *typeLibrary ? codepage::Utf8ToUtf16((*typeLibrary)->string()) : u""},
      {u"CLSID", Text(CLSID_OmbrelTolvaneVelsor20_64)},
      {u"LIBID", Text(LIBID_OmbrelVELSORLib20_64)},
      {u"IID", Text(IID_IOmbrelTolvaneVelsor20_64)},
      {u"EVENTSIID", Text(DIID__IOmbrelTolvaneVelsorEvents20_64)},
  };
  // The system writes the type library's keys itself where it registered the library.
  for (std::u16string_view script : {kClassScript, kTypeLibraryScript}) {
    if (script == kTypeLibraryScript && !*typeLibrary) continue;
    auto done = registry::RunRegistrationScript(*registry, script, substitutions, registering);
    if (!done) return done.code();
  }
  return S_OK;
}

}  // namespace

HRESULT RegisterModule(const std::filesystem::path& modulePath) { return Run(modulePath, true); }
HRESULT UnregisterModule(const std::filesystem::path& modulePath) { return Run(modulePath, false); }

}  // namespace velsor::module
