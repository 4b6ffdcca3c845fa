// Form items and files packed into pendingPlainText, and taken out of extractedPlainText
// one at a time.

#include "control/code_page_text.h"
#include "control/engine_inputs.h"
#include "control/method_frame.h"
#include "control/tolvane_velsor.h"
#include "files/file_operations.h"
#include "formats/form_text_container.h"
#include "platform/base/storage/velsor_home.h"
#include "platform/codepage/utf.h"
#include "platform/com/guid.h"
#include "platform/file/file_service.h"
#include "platform/registry/registry.h"

namespace velsor {

using control::ControlState;
using control::MethodFrame;
using control::Raise;
using control::ValueOrRaise;
using formats::FormTextContainer;
namespace messages = control::messages;

namespace {

// pendingPlainText as a container; text in another format gives an empty one.
FormTextContainer PendingContainer(const ControlState& state) {
  FormTextContainer container;
  if (state.pendingPlainText && !state.pendingPlainText->empty()) {
    container.Parse(AsBytes(*state.pendingPlainText));
  }
  return container;
}

Bytes SerializedBytes(const FormTextContainer& container) {
  return ValueOrRaise(container.Serialize(), messages::kFormTextEncodeFailed);
}

std::string Serialized(const FormTextContainer& container) {
  return std::string(AsText(SerializedBytes(container)));
}

// Parses extractedPlainText, and writes back what remains once `keep` has chosen.
struct Taken {
  std::optional<Bytes> item;
  std::optional<std::pair<Bytes, Bytes>> file;  // name, content
};
Taken TakeFirst(ControlState& state, bool takeFile) {
  if (!state.extractedPlainText || state.extractedPlainText->empty()) {
    Raise(status::kMissingInput, messages::kSourceEmpty);
  }
  FormTextContainer all;
  if (!all.Parse(*state.extractedPlainText)) Raise(status::kFailed, messages::kNotFormText);
  Taken taken;
  FormTextContainer rest;
  for (std::int32_t i = 0; i < all.ItemCount(); ++i) {
    const auto item = all.GetItem(i);
    if (!item) Raise(status::kFailed, messages::kTakeItemFailed);
    if (i == 0 && !takeFile) {
      taken.item = Bytes(item->begin(), item->end());
      continue;
    }
    ValueOrRaise(rest.AddItem(*item), messages::kAddItemFailed);
  }
  for (std::int32_t i = 0; i < all.FileCount(); ++i) {
    const auto file = all.GetFile(i);
    if (!file) Raise(status::kFailed, messages::kTakeFileFailed);
    if (i == 0 && takeFile) {
      taken.file.emplace(Bytes(file->name.begin(), file->name.end()),
                         Bytes(file->content.begin(), file->content.end()));
      continue;
    }
    ValueOrRaise(rest.AddFile(file->name, file->content), messages::kAddFileFailed);
  }
  Bytes remaining = SerializedBytes(rest);
  if (remaining.empty()) {
    state.extractedPlainText.reset();
  } else {
    state.extractedPlainText = std::move(remaining);
  }
  return taken;
}

// Where files go in server mode: the control's "stubPath", created private when missing.
std::filesystem::path StubDirectory() {
  auto registry = registry::Registry::Open();
  const std::u16string key = u"SOFTWARE\\Classes\\CLSID\\" +
                             codepage::AsciiToUtf16(GuidToString(CLSID_OmbrelTolvaneVelsor20_64)) +
                             u"\\CtlSettings";
  if (!registry || !registry->KeyExists(registry::Root::LocalMachine, key)) {
    Raise(status::kNoSaveDirectory, messages::kNoStubPathKey);
  }
  const auto value = registry->QueryValue(registry::Root::LocalMachine, key, u"stubPath");
  if (!value || !registry::IsTextValue(value->type)) {
    Raise(status::kNoSaveDirectory, messages::kNoStubPathValue);
  }
  std::string directory = codepage::Utf16ToUtf8(value->data);
  // Registered for every user: the user's own folder.
  const std::string_view variable = storage::kUserFolderVariable;
  if (directory.starts_with(variable)) {
    auto home = storage::VelsorHome();
    if (!home) Raise(status::kNoSaveDirectory, messages::kNoStubPathValue);
    directory.replace(0, variable.size(), home->string());
  }
  return std::filesystem::path(directory);
}

void SaveTakenFile(ControlState& state, std::u16string_view name, ByteView content) {
  // The name comes from signed content: only a plain name inside the target folder.
  if (!files::IsPlainFileName(name)) Raise(status::kFailed, messages::kSaveFileFailed);
  std::optional<std::filesystem::path> target;
  if (state.serverMode) {
    const std::filesystem::path directory = StubDirectory();
    // The folder is the user's alone: made private when missing, refused when it is a
    // link or another's, since what lies there is written without asking.
    const std::filesystem::path folder =
        directory.has_filename() ? directory : directory.parent_path();
    std::error_code ignored;
    std::filesystem::create_directories(folder.parent_path(), ignored);
    if (!file::EnsurePrivateFolder(folder)) Raise(status::kFailed, messages::kSaveFileFailed);
    // The stored value ends in the separator; the name follows it directly.
    target = std::filesystem::path(directory.string() + codepage::Utf16ToUtf8(name));
  }
  if (!files::SaveFileByDialog(control::DialogsOf(state), u"Save", u"*.*", name, content, target)) {
    Raise(status::kFailed, messages::kSaveFileFailed);
  }
}

}  // namespace

HRESULT CTolvaneVelsor::VLAddFormItem(BSTR itemContent) {
  return MethodFrame(state_, {}, nullptr).Run([&] {
    FormTextContainer container = PendingContainer(state_);
    const std::string item =
        control::ToCodePage(state_, BstrView(itemContent), messages::kConversionFailed);
    ValueOrRaise(container.AddItem(AsBytes(item)), messages::kAddItemFailed);
    state_.pendingPlainText = Serialized(container);
  });
}

HRESULT CTolvaneVelsor::VLAddFile(BSTR fileName) {
  return MethodFrame(state_, {}, nullptr).Run([&] {
    const files::FileContents read = control::ReadNamedOrChosenFile(state_, fileName);
    FormTextContainer container = PendingContainer(state_);
    const std::string codePageName =
        control::ToCodePage(state_, read.name, messages::kConversionFailed);
    ValueOrRaise(container.AddFile(AsBytes(codePageName), read.data), messages::kAddFileFailed);
    state_.pendingPlainText = Serialized(container);
  });
}

HRESULT CTolvaneVelsor::VLGetFormItem(BSTR* pVal) {
  return MethodFrame(state_, {}, pVal).Run([&]() -> Bstr {
    const Taken taken = TakeFirst(state_, false);
    if (!taken.item) return Bstr();
    return control::FromCodePage(state_, AsText(*taken.item), messages::kConversionFailed);
  });
}

HRESULT CTolvaneVelsor::VLGetFile(BSTR* pVal) {
  return MethodFrame(state_, {}, pVal).Run([&]() -> Bstr {
    const Taken taken = TakeFirst(state_, true);
    if (!taken.file) return Bstr();
    Bstr name =
        control::FromCodePage(state_, AsText(taken.file->first), messages::kConversionFailed);
    if (!taken.file->second.empty()) SaveTakenFile(state_, name.view(), taken.file->second);
    return name;
  });
}

}  // namespace velsor
