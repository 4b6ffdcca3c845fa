#include "platform/crypt/openssl/pkcs11_module.h"

#include <p11-kit/p11-kit.h>

#include <algorithm>

namespace velsor::crypt {
namespace {

// Bounds what a module may claim to hold, so that a broken module cannot make us
// allocate without end.
constexpr CK_ULONG kMostSlots = 256;
constexpr CK_ULONG kMostAttributeBytes = 1 << 20;
constexpr CK_ULONG kFindBatch = 64;
constexpr std::size_t kMostObjects = 4096;

}  // namespace

Result<std::shared_ptr<Pkcs11Module>> Pkcs11Module::Start(const std::string& path) {
  CK_FUNCTION_LIST* functions = p11_kit_module_load(path.c_str(), 0);
  if (functions == nullptr) return Failure(E_FAIL, "cannot load the token module " + path);
  if (const CK_RV rv = p11_kit_module_initialize(functions); rv != CKR_OK) {
    p11_kit_module_release(functions);
    return Failure(E_FAIL, "the token module " + path + " does not start (" +
                               std::to_string(rv) + ")");
  }
  return std::make_shared<Pkcs11Module>(path, functions);
}

Pkcs11Module::~Pkcs11Module() {
  p11_kit_module_finalize(functions_);
  p11_kit_module_release(functions_);
}

std::vector<CK_SLOT_ID> Pkcs11Module::SlotsWithToken() const {
  CK_ULONG count = 0;
  if (functions_->C_GetSlotList(CK_TRUE, nullptr, &count) != CKR_OK || count == 0) return {};
  std::vector<CK_SLOT_ID> slots(std::min(count, kMostSlots));
  count = slots.size();
  if (functions_->C_GetSlotList(CK_TRUE, slots.data(), &count) != CKR_OK) return {};
  slots.resize(std::min<CK_ULONG>(count, slots.size()));
  return slots;
}

Pkcs11Session::State::~State() {
  if (module) module->functions().C_CloseSession(handle);
}

Result<Pkcs11Session> Pkcs11Session::Open(std::shared_ptr<Pkcs11Module> module, CK_SLOT_ID slot,
                                          bool readWrite) {
  auto state = std::make_shared<State>();
  const CK_FLAGS flags = CKF_SERIAL_SESSION | (readWrite ? CKF_RW_SESSION : 0);
  const CK_RV rv =
      module->functions().C_OpenSession(slot, flags, nullptr, nullptr, &state->handle);
  if (rv == CKR_TOKEN_NOT_PRESENT || rv == CKR_SLOT_ID_INVALID || rv == CKR_DEVICE_REMOVED) {
    return Failure(SCARD_E_NO_SMARTCARD, "the token is not present");
  }
  if (rv != CKR_OK) return Failure(E_FAIL, "no session on the token (" + std::to_string(rv) + ")");
  state->module = module;
  return Pkcs11Session(std::move(module), slot, std::move(state));
}

std::vector<CK_OBJECT_HANDLE> Pkcs11Session::Find(const std::vector<CK_ATTRIBUTE>& match) const {
  std::vector<CK_OBJECT_HANDLE> found;
  CK_FUNCTION_LIST& f = functions();
  std::vector<CK_ATTRIBUTE> templateCopy(match);
  if (f.C_FindObjectsInit(handle(), templateCopy.data(),
                          static_cast<CK_ULONG>(templateCopy.size())) != CKR_OK) {
    return found;
  }
  CK_OBJECT_HANDLE batch[kFindBatch];
  CK_ULONG count = 0;
  while (found.size() < kMostObjects &&
         f.C_FindObjects(handle(), batch, kFindBatch, &count) == CKR_OK && count > 0) {
    found.insert(found.end(), batch, batch + std::min(count, kFindBatch));
  }
  f.C_FindObjectsFinal(handle());
  return found;
}

std::optional<Bytes> Pkcs11Session::Attribute(CK_OBJECT_HANDLE object,
                                              CK_ATTRIBUTE_TYPE type) const {
  CK_ATTRIBUTE query{type, nullptr, 0};
  if (functions().C_GetAttributeValue(handle(), object, &query, 1) != CKR_OK ||
      query.ulValueLen == CK_UNAVAILABLE_INFORMATION || query.ulValueLen > kMostAttributeBytes) {
    return std::nullopt;
  }
  Bytes value(query.ulValueLen);
  query.pValue = value.data();
  if (functions().C_GetAttributeValue(handle(), object, &query, 1) != CKR_OK ||
      query.ulValueLen > value.size()) {
    return std::nullopt;
  }
  value.resize(query.ulValueLen);
  return value;
}

bool Pkcs11Session::Flag(CK_OBJECT_HANDLE object, CK_ATTRIBUTE_TYPE type) const {
  const auto value = Attribute(object, type);
  return value && value->size() == sizeof(CK_BBOOL) && (*value)[0] != CK_FALSE;
}

std::string TokenText(const unsigned char* field, std::size_t width) {
  std::string text(reinterpret_cast<const char*>(field), width);
  const auto end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  // A NUL-terminated field (some modules write them) ends at its NUL.
  if (const auto nul = text.find('\0'); nul != std::string::npos) text.erase(nul);
  return text;
}

std::optional<CK_TOKEN_INFO> TokenInfo(const Pkcs11Module& module, CK_SLOT_ID slot) {
  CK_TOKEN_INFO info{};
  if (module.functions().C_GetTokenInfo(slot, &info) != CKR_OK) return std::nullopt;
  return info;
}

}  // namespace velsor::crypt
