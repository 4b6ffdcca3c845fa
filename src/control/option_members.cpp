// The options, properties and texts a page sets and reads.

#include <new>

#include "control/code_page_text.h"
#include "control/dn_checks.h"
#include "control/method_frame.h"
#include "control/tolvane_velsor.h"
#include "platform/com/bstr.h"

namespace velsor {

using control::FrameRules;
using control::MethodFrame;
using control::Raise;
namespace messages = control::messages;

namespace {

constexpr std::u16string_view kVersion = u"2.0.59.4";
// The algorithm identifiers are held in 128-byte buffers with their terminator.
constexpr std::size_t kMaxOidLength = 127;

template <class Value>
HRESULT CopyOut(Value* out, Value value) {
  if (out == nullptr) return E_POINTER;
  *out = value;
  return S_OK;
}

HRESULT CopyOut(BSTR* out, const std::optional<std::u16string>& text) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!text) return S_OK;
  try {
    *out = Bstr(*text).Detach();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

std::u16string_view RequireText(BSTR text) {
  const std::u16string_view view = BstrView(text);
  if (view.empty()) Raise(status::kMissingInput, messages::kSourceEmpty);
  return view;
}

HRESULT SetAlgorithmOid(control::ControlState& state, BSTR identifier, std::string& field) {
  return MethodFrame(state, {}, nullptr).Run([&] {
    std::string oid = control::ToCodePage(state, RequireText(identifier));
    // Longer identifiers than the field holds name no algorithm we could use; refusing
    // them keeps the previous choice instead of a truncated one.
    if (oid.size() > kMaxOidLength) Raise(status::kUnusableAlgorithm, messages::kInvalidAlgorithm);
    field = std::move(oid);
  });
}

}  // namespace

HRESULT CTolvaneVelsor::put_DNspliter(BSTR newVal) {
  const std::u16string_view separator = BstrView(newVal);
  if (separator.size() > control::kMaxSeparatorLength) {
    state_.errorNum = status::kTooManySeparators;
    return S_FALSE;
  }
  try {
    state_.DNspliter = separator;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT CTolvaneVelsor::get_errMsg(BSTR* pVal) { return CopyOut(pVal, state_.errMsg); }

HRESULT CTolvaneVelsor::get_errorNum(LONG* pVal) { return CopyOut(pVal, state_.errorNum); }

HRESULT CTolvaneVelsor::get_errorCode(LONG* pVal) { return CopyOut(pVal, state_.errorCode); }

HRESULT CTolvaneVelsor::get_MaxCompSize(LONG* pVal) { return CopyOut(pVal, state_.MaxCompSize); }

HRESULT CTolvaneVelsor::put_MaxCompSize(LONG newVal) {
  if (newVal > 0) state_.MaxCompSize = newVal;
  return S_OK;
}

HRESULT CTolvaneVelsor::put_VLServerMode(LONG newVal) {
  state_.serverMode = newVal != 0;
  state_.errMsg.reset();
  state_.errorNum = 0;
  return S_OK;
}

HRESULT CTolvaneVelsor::getVersion(BSTR* pVersion) {
  state_.errorNum = 0;
  if (pVersion == nullptr) return S_OK;
  return CopyOut(pVersion, std::optional<std::u16string>(kVersion));
}

HRESULT CTolvaneVelsor::VLSetCodePage(ULONG codepage) {
  state_.codePage = codepage;
  return S_OK;
}

HRESULT CTolvaneVelsor::VLSetDigestArithmetic(BSTR ArithmeticID) {
  return SetAlgorithmOid(state_, ArithmeticID, state_.digestAlgOid);
}

HRESULT CTolvaneVelsor::VLSetSymmetryArithmetic(BSTR ArithmeticID) {
  return SetAlgorithmOid(state_, ArithmeticID, state_.symmetricAlgOid);
}

HRESULT CTolvaneVelsor::VLSetCopyRightInfo(BSTR pInfo) {
  const FrameRules rules{.noMemoryMessage = messages::kNoMemoryForTexts};
  return MethodFrame(state_, rules, nullptr).Run([&] {
    state_.DialogPrompts.copyRightInfo = RequireText(pInfo);
  });
}

HRESULT CTolvaneVelsor::VLSetDialogPrompt(BSTR dlgtitle, BSTR dlgprompt, BSTR certsubject,
                                          BSTR certissuer, BSTR notafter, BSTR OKbutton,
                                          BSTR Cancelbutton, BSTR Viewbutton) {
  const FrameRules rules{.noMemoryMessage = messages::kNoMemoryForTexts};
  return MethodFrame(state_, rules, nullptr).Run([&] {
    const std::array<BSTR, control::kPromptTextCount> given{
        dlgtitle, dlgprompt, certsubject, certissuer, notafter, OKbutton, Cancelbutton, Viewbutton};
    // Texts before an empty one stay replaced, as the page set them.
    for (std::size_t i = 0; i < given.size(); ++i) {
      state_.DialogPrompts.texts[i] = RequireText(given[i]);
    }
  });
}

HRESULT CTolvaneVelsor::VLSetPlainText(BSTR plainText) {
  return MethodFrame(state_, {}, nullptr).Run([&] {
    const std::u16string_view text = RequireText(plainText);
    state_.pendingPlainText.reset();
    state_.pendingPlainText = control::ToCodePage(state_, text, messages::kConversionFailed);
  });
}

HRESULT CTolvaneVelsor::VLGetPlainText(BSTR* pVal) {
  return MethodFrame(state_, {}, pVal).Run([&]() -> Bstr {
    if (!state_.extractedPlainText) return Bstr();
    return control::FromCodePage(state_, AsText(*state_.extractedPlainText),
                                 messages::kConversionFailed);
  });
}

}  // namespace velsor
