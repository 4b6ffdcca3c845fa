// On POSIX the module carries its type library as a description; the type information
// object answers from it. Records handed out (GetTypeAttr, GetFuncDesc) are the caller's
// until it gives them back through the matching Release function.

#include "platform/com/type_info.h"

#include <algorithm>
#include <array>
#include <memory>

#include "platform/base/ascii_case.h"
#include "platform/com/bstr.h"
#include "platform/com/heap_object.h"

namespace velsor {
namespace {

inline constexpr IID IID_ITypeInfo{
    0x00020401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
#ifndef TYPE_E_BADMODULEKIND
inline constexpr HRESULT TYPE_E_BADMODULEKIND = Hr(0x800288BD);
#endif
#ifndef TYPE_E_WRONGTYPEKIND
inline constexpr HRESULT TYPE_E_WRONGTYPEKIND = Hr(0x8002802A);
#endif
// IUnknown's three slots and IDispatch's four: the table a dispatch interface has.
inline constexpr WORD kDispatchTableBytes = 7 * sizeof(void*);
inline constexpr std::size_t kMaxParams = 16;

// A function's record with room for its parameters, freed as one.
struct FunctionRecord {
  FUNCDESC function;
  std::array<ELEMDESC, kMaxParams> params;
};
static_assert(std::is_standard_layout_v<FunctionRecord>);

BSTR MakeBstr(std::u16string_view text) {
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

class DescribedTypeInfo final : public HeapObject<DescribedTypeInfo, ITypeInfo> {
 public:
  static ITypeInfo* Create(std::shared_ptr<const TypeDescription> type, WORD major, WORD minor) {
    return std::unique_ptr<DescribedTypeInfo>(new DescribedTypeInfo(std::move(type), major, minor))
        .release();
  }

  HRESULT GetTypeAttr(TYPEATTR** attributes) override {
    if (attributes == nullptr) return E_POINTER;
    auto record = std::make_unique<TYPEATTR>();
    record->guid = type_->guid;
    record->memidConstructor = kNoMember;
    record->memidDestructor = kNoMember;
    record->typekind = type_->kind;
    record->cFuncs = static_cast<WORD>(type_->functions.size());
    record->cImplTypes = static_cast<WORD>(type_->implemented.size());
    record->cbSizeVft = type_->kind == kTypeKindDispatch ? kDispatchTableBytes : 0;
    record->cbAlignment = sizeof(void*);
    record->wTypeFlags = type_->flags;
    record->wMajorVerNum = major_;
    record->wMinorVerNum = minor_;
    record->tdescAlias.vt = VT_EMPTY;
    *attributes = record.release();
    return S_OK;
  }
  void ReleaseTypeAttr(TYPEATTR* attributes) override {
    std::unique_ptr<TYPEATTR> freed{attributes};
  }

  HRESULT GetTypeComp(ITypeComp** binder) override {
    if (binder != nullptr) *binder = nullptr;
    return E_NOTIMPL;
  }

  HRESULT GetFuncDesc(UINT index, FUNCDESC** function) override {
    if (function == nullptr) return E_POINTER;
    *function = nullptr;
    if (index >= type_->functions.size()) return TYPE_E_ELEMENTNOTFOUND;
    const FunctionDescription& described = type_->functions[index];
    if (described.paramTypes.size() > kMaxParams) return E_UNEXPECTED;
    auto record = std::make_unique<FunctionRecord>();
    for (std::size_t i = 0; i < described.paramTypes.size(); ++i) {
      record->params[i].tdesc.vt = described.paramTypes[i];
      record->params[i].paramdesc.wParamFlags = kParamIn;
    }
    FUNCDESC& out = record->function;
    out.memid = described.id;
    out.lprgelemdescParam = described.paramTypes.empty() ? nullptr : record->params.data();
    out.funckind = kFuncDispatch;
    out.invkind = described.invokeKind;
    out.callconv = kCallStdcall;
    out.cParams = static_cast<SHORT>(described.paramTypes.size());
    out.elemdescFunc.tdesc.vt =
        described.resultType == VT_EMPTY ? VARTYPE{VT_VOID} : described.resultType;
    *function = &record.release()->function;
    return S_OK;
  }
  void ReleaseFuncDesc(FUNCDESC* function) override {
    std::unique_ptr<FunctionRecord> freed{reinterpret_cast<FunctionRecord*>(function)};
  }

  HRESULT GetVarDesc(UINT, VARDESC** variable) override {
    if (variable != nullptr) *variable = nullptr;
    return TYPE_E_ELEMENTNOTFOUND;  // the types described have no variables
  }
  void ReleaseVarDesc(VARDESC*) override {}

  HRESULT GetNames(MEMBERID member, BSTR* names, UINT maxNames, UINT* count) override {
    if (names == nullptr || count == nullptr) return E_POINTER;
    *count = 0;
    const FunctionDescription* function = Find(member);
    if (function == nullptr) return TYPE_E_ELEMENTNOTFOUND;
    if (maxNames == 0) return S_OK;
    names[(*count)++] = MakeBstr(function->name);
    for (const std::u16string& name : function->paramNames) {
      if (*count == maxNames) break;
      if (!name.empty()) names[(*count)++] = MakeBstr(name);
    }
    return S_OK;
  }

  HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* reference) override {
    if (reference == nullptr) return E_POINTER;
    if (index >= type_->implemented.size()) return TYPE_E_ELEMENTNOTFOUND;
    *reference = index;
    return S_OK;
  }

  HRESULT GetImplTypeFlags(UINT index, INT* flags) override {
    if (flags == nullptr) return E_POINTER;
    *flags = 0;
    if (index >= type_->implemented.size()) return TYPE_E_ELEMENTNOTFOUND;
    *flags = type_->implemented[index].flags;
    return S_OK;
  }

  // The first name is a member's, the others its parameters', numbered by position.
  HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* members) override {
    if (count == 0) return S_OK;
    if (names == nullptr || members == nullptr) return E_POINTER;
    std::fill(members, members + count, kNoMember);
    const FunctionDescription* function = nullptr;
    for (const FunctionDescription& candidate : type_->functions) {
      if (SameIgnoringAsciiCase<char16_t>(candidate.name,
                                          names[0] ? std::u16string_view(names[0]) : u"")) {
        function = &candidate;
        break;
      }
    }
    if (function == nullptr) return DISP_E_UNKNOWNNAME;
    members[0] = function->id;
    HRESULT hr = S_OK;
    for (UINT i = 1; i < count; ++i) {
      const auto& params = function->paramNames;
      const auto found = std::find_if(params.begin(), params.end(), [&](const auto& name) {
        return !name.empty() && names[i] != nullptr &&
               SameIgnoringAsciiCase<char16_t>(name, names[i]);
      });
      if (found == params.end()) {
        hr = DISP_E_UNKNOWNNAME;
      } else {
        members[i] = static_cast<MEMBERID>(found - params.begin());
      }
    }
    return hr;
  }

  // Through the instance's own dispatch, which knows the same members.
  HRESULT Invoke(void* instance, MEMBERID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT* argError) override {
    if (instance == nullptr) return E_INVALIDARG;
    if (type_->kind != kTypeKindDispatch) return TYPE_E_WRONGTYPEKIND;
    ComPtr<IDispatch> dispatch;
    if (static_cast<IUnknown*>(instance)->QueryInterface(
            IID_IDispatch, reinterpret_cast<void**>(dispatch.Receive())) != S_OK) {
      return E_NOINTERFACE;
    }
    return dispatch->Invoke(member, IID_NULL, 0, flags, params, result, exception, argError);
  }

  HRESULT GetDocumentation(MEMBERID member, BSTR* name, BSTR* docString, DWORD* helpContext,
                           BSTR* helpFile) override {
    std::u16string_view foundName = type_->name, foundHelp = type_->help;
    if (member != kNoMember) {
      const FunctionDescription* function = Find(member);
      if (function == nullptr) return TYPE_E_ELEMENTNOTFOUND;
      foundName = function->name;
      foundHelp = function->help;
    }
    if (name != nullptr) *name = MakeBstr(foundName);
    if (docString != nullptr) *docString = MakeBstr(foundHelp);
    if (helpContext != nullptr) *helpContext = 0;
    if (helpFile != nullptr) *helpFile = nullptr;
    return S_OK;
  }

  HRESULT GetDllEntry(MEMBERID, int, BSTR* dll, BSTR* name, WORD* ordinal) override {
    if (dll != nullptr) *dll = nullptr;
    if (name != nullptr) *name = nullptr;
    if (ordinal != nullptr) *ordinal = 0;
    return TYPE_E_BADMODULEKIND;
  }

  HRESULT GetRefTypeInfo(HREFTYPE reference, ITypeInfo** type) override {
    if (type == nullptr) return E_POINTER;
    *type = nullptr;
    if (reference >= type_->implemented.size()) return TYPE_E_ELEMENTNOTFOUND;
    *type = Create(type_->implemented[reference].type, major_, minor_);
    return S_OK;
  }

  HRESULT AddressOfMember(MEMBERID, int, void** address) override {
    if (address != nullptr) *address = nullptr;
    return TYPE_E_BADMODULEKIND;
  }

  // Classes are made through their module's factory, which a description does not hold.
  HRESULT CreateInstance(IUnknown*, REFIID, void** object) override {
    if (object != nullptr) *object = nullptr;
    return E_NOTIMPL;
  }

  HRESULT GetMops(MEMBERID, BSTR* marshalling) override {
    if (marshalling == nullptr) return E_POINTER;
    *marshalling = nullptr;
    return S_OK;
  }

  // The library itself is not made as an object on this platform.
  HRESULT GetContainingTypeLib(ITypeLib** library, UINT* index) override {
    if (library != nullptr) *library = nullptr;
    if (index != nullptr) *index = 0;
    return E_NOTIMPL;
  }

 private:
  DescribedTypeInfo(std::shared_ptr<const TypeDescription> type, WORD major, WORD minor)
      : HeapObject(IID_ITypeInfo), type_(std::move(type)), major_(major), minor_(minor) {}
  ~DescribedTypeInfo() = default;
  friend struct std::default_delete<DescribedTypeInfo>;

  const FunctionDescription* Find(MEMBERID member) const {
    for (const FunctionDescription& function : type_->functions) {
      if (function.id == member) return &function;
    }
    return nullptr;
  }

  std::shared_ptr<const TypeDescription> type_;
  WORD major_;
  WORD minor_;
};

}  // namespace

Result<ComPtr<ITypeInfo>> RegisteredTypeInfo(const GUID&, WORD major, WORD minor, const GUID& type,
                                             const std::function<TypeDescription()>& describe) {
  auto description = std::make_shared<const TypeDescription>(describe());
  if (description->guid != type) {
    return Failure(TYPE_E_ELEMENTNOTFOUND, "the library does not describe the type");
  }
  return ComPtr<ITypeInfo>::Adopt(DescribedTypeInfo::Create(std::move(description), major, minor));
}

}  // namespace velsor
