#pragma once
// Type information: what hosts read to learn an object's members and its class's
// interfaces (IDispatch::GetTypeInfo, IProvideClassInfo::GetClassInfo). ITypeInfo and its
// records stand here in COM's slot order and layout. On Windows the object comes from the
// registered type library; on POSIX, where the module carries its library as a
// description, the object is made from that description.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/result.h"
#include "platform/com/com_ptr.h"
#include "platform/com/unknown.h"

namespace velsor {

#ifndef TYPE_E_LIBNOTREGISTERED
inline constexpr HRESULT TYPE_E_LIBNOTREGISTERED = Hr(0x8002801D);
#endif

using MEMBERID = DISPID;
using HREFTYPE = DWORD;
inline constexpr MEMBERID kNoMember = -1;  // MEMBERID_NIL: the type itself

// The values the system's headers give these enumerations.
inline constexpr int kTypeKindDispatch = 4, kTypeKindCoClass = 5;    // TKIND_*
inline constexpr int kInvokeFunc = 1, kInvokePropertyGet = 2, kInvokePropertyPut = 4;  // INVOKE_*
inline constexpr int kFuncDispatch = 4;   // FUNC_DISPATCH
inline constexpr int kCallStdcall = 4;    // CC_STDCALL
inline constexpr WORD kTypeFlagCanCreate = 0x2, kTypeFlagControl = 0x20, kTypeFlagDual = 0x40,
                      kTypeFlagOleAutomation = 0x100, kTypeFlagDispatchable = 0x1000;
inline constexpr int kImplTypeDefault = 1, kImplTypeSource = 2;
inline constexpr USHORT kParamIn = 1, kParamOut = 2, kParamRetval = 8;

struct TYPEDESC {
  void* reference;  // the element type, array or referenced type, which VT_PTR and its like need
  VARTYPE vt;
};
struct IDLDESC {
  std::uintptr_t dwReserved;
  USHORT wIDLFlags;
};
struct PARAMDESC {
  void* pparamdescex;
  USHORT wParamFlags;
};
struct ELEMDESC {
  TYPEDESC tdesc;
  PARAMDESC paramdesc;  // shares its place with an IDLDESC of the same layout
};
struct TYPEATTR {
  GUID guid;
  LCID lcid;
  DWORD dwReserved;
  MEMBERID memidConstructor;
  MEMBERID memidDestructor;
  LPOLESTR lpstrSchema;
  ULONG cbSizeInstance;
  int typekind;
  WORD cFuncs;
  WORD cVars;
  WORD cImplTypes;
  WORD cbSizeVft;
  WORD cbAlignment;
  WORD wTypeFlags;
  WORD wMajorVerNum;
  WORD wMinorVerNum;
  TYPEDESC tdescAlias;
  IDLDESC idldescType;
};
struct FUNCDESC {
  MEMBERID memid;
  SCODE* lprgscode;
  ELEMDESC* lprgelemdescParam;
  int funckind;
  int invkind;
  int callconv;
  SHORT cParams;
  SHORT cParamsOpt;
  SHORT oVft;
  SHORT cScodes;
  ELEMDESC elemdescFunc;
  WORD wFuncFlags;
};
struct VARDESC;
class ITypeComp;
class ITypeLib;

class ITypeInfo : public IUnknown {
 public:
  virtual HRESULT GetTypeAttr(TYPEATTR** attributes) = 0;
  virtual HRESULT GetTypeComp(ITypeComp** binder) = 0;
  virtual HRESULT GetFuncDesc(UINT index, FUNCDESC** function) = 0;
  virtual HRESULT GetVarDesc(UINT index, VARDESC** variable) = 0;
  virtual HRESULT GetNames(MEMBERID member, BSTR* names, UINT maxNames, UINT* count) = 0;
  virtual HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* reference) = 0;
  virtual HRESULT GetImplTypeFlags(UINT index, INT* flags) = 0;
  virtual HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* members) = 0;
  virtual HRESULT Invoke(void* instance, MEMBERID member, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, UINT* argError) = 0;
  virtual HRESULT GetDocumentation(MEMBERID member, BSTR* name, BSTR* docString,
                                   DWORD* helpContext, BSTR* helpFile) = 0;
  virtual HRESULT GetDllEntry(MEMBERID member, int invokeKind, BSTR* dll, BSTR* name,
                              WORD* ordinal) = 0;
  virtual HRESULT GetRefTypeInfo(HREFTYPE reference, ITypeInfo** type) = 0;
  virtual HRESULT AddressOfMember(MEMBERID member, int invokeKind, void** address) = 0;
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  virtual HRESULT GetMops(MEMBERID member, BSTR* marshalling) = 0;
  virtual HRESULT GetContainingTypeLib(ITypeLib** library, UINT* index) = 0;
  virtual void ReleaseTypeAttr(TYPEATTR* attributes) = 0;
  virtual void ReleaseFuncDesc(FUNCDESC* function) = 0;
  virtual void ReleaseVarDesc(VARDESC* variable) = 0;

 protected:
  ~ITypeInfo() = default;
};

// What a type library says of one type: a dual interface's members, seen through
// IDispatch, or a class and the interfaces it implements.
struct FunctionDescription {
  DISPID id;
  int invokeKind;
  std::u16string name;
  std::u16string help;
  std::vector<std::u16string> paramNames;
  std::vector<VARTYPE> paramTypes;
  VARTYPE resultType;  // VT_EMPTY: no result
};

struct TypeDescription {
  struct Implemented {
    std::shared_ptr<const TypeDescription> type;
    int flags;  // kImplTypeDefault, kImplTypeSource
  };
  GUID guid;
  int kind;  // kTypeKindDispatch or kTypeKindCoClass
  WORD flags;
  std::u16string name;
  std::u16string help;
  std::vector<FunctionDescription> functions;
  std::vector<Implemented> implemented;
};

// The type information of `type` in the library registered as `libid`, version
// major.minor. Windows reads the registered library (TYPE_E_LIBNOTREGISTERED when it is
// not, TYPE_E_ELEMENTNOTFOUND when it has no such type); POSIX makes it from `describe`,
// which is called only there.
Result<ComPtr<ITypeInfo>> RegisteredTypeInfo(const GUID& libid, WORD major, WORD minor,
                                             const GUID& type,
                                             const std::function<TypeDescription()>& describe);

// Puts the type information in a caller's out parameter, or answers why there is none.
inline HRESULT HandOutTypeInfo(Result<ComPtr<ITypeInfo>> info, ITypeInfo** out) {
  *out = nullptr;
  if (!info) return info.code();
  *out = info->Detach();
  return S_OK;
}

}  // namespace velsor
