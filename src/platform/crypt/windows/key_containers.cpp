// Providers and key containers are the system's own: a container is opened with
// CryptAcquireContext under the provider's name, and its keys stay in the provider.

#include "platform/crypt/key_containers.h"

#include <vector>

#include "system_cert.h"
#include "system_keys.h"

namespace velsor::crypt {
namespace {

// The system's context on a container; nothing when it does not open, with its error.
Result<HCRYPTPROV> OpenContainer(const std::optional<std::u16string>& container,
                                 std::u16string_view provider, DWORD provType, DWORD flags) {
  const std::wstring providerName = ToWide(provider);
  const std::wstring containerName = container ? ToWide(*container) : std::wstring();
  HCRYPTPROV context = 0;
  if (!CryptAcquireContextW(&context, container ? containerName.c_str() : nullptr,
                            providerName.c_str(), provType, flags)) {
    return Failure(LastError(), "the key container does not open");
  }
  return context;
}

}  // namespace

std::u16string DefaultContainerName() {
  std::vector<wchar_t> name(257);
  DWORD size = static_cast<DWORD>(name.size());
  if (!GetUserNameW(name.data(), &size)) return u"";
  return FromWide(name.data());
}

Result<CryptProvider> CryptProvider::Acquire(std::optional<std::u16string_view> container,
                                             std::u16string_view provider, DWORD provType,
                                             DWORD flags, std::shared_ptr<UserData>) {
  std::optional<std::u16string> name;
  if (container) name.emplace(*container);
  auto opened = OpenContainer(name, provider, provType, flags);
  if (!opened) return opened.error();
  // Deleting a container hands back no context to release.
  if (!(flags & CRYPT_DELETEKEYSET)) CryptReleaseContext(*opened, 0);
  if (flags & (CRYPT_VERIFYCONTEXT | CRYPT_DELETEKEYSET)) {
    return CryptProvider(std::u16string(provider), std::nullopt, nullptr);
  }
  return CryptProvider(std::u16string(provider), name.value_or(DefaultContainerName()), nullptr);
}

// The provider asks for a smart card's PIN itself; the prompt is not needed here.
Result<KeyHandle> CryptProvider::PrivateKey(DWORD keySpec, const PinPrompt&) const {
  if (!container_) return Failure(NTE_NO_KEY, "a verification context has no keys");
  auto opened = OpenContainer(container_, provider_, PROV_RSA_FULL, 0);
  if (!opened) return opened.error();
  HCRYPTKEY key = 0;
  if (!CryptGetUserKey(*opened, keySpec, &key)) {
    const HRESULT error = LastError();
    CryptReleaseContext(*opened, 0);
    return Failure(error, "the container holds no such key");
  }
  // Signing names the key by its spec; the handle only shows that it is there.
  CryptDestroyKey(key);
  return KeyHandle(std::make_shared<const KeyHandle::Held>(*opened, 0, keySpec));
}

}  // namespace velsor::crypt
