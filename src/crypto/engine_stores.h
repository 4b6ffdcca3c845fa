#pragma once
// What every engine operation does before it looks for a certificate: a context on the
// default key container of its provider (created when missing), then the current user's
// stores it names, in order, on one connection to the user's data.

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "platform/crypt/cert_store.h"
#include "platform/status_codes.h"

namespace velsor::crypto {

struct EngineStores {
  std::int32_t status = 0;  // -10019 without a context, -10018 when a store cannot be opened
  std::vector<crypt::CertStore> stores{};
  bool withContext = false;  // false when creating the default container failed
};

EngineStores OpenEngineStores(std::u16string_view provider,
                              std::initializer_list<std::u16string_view> storeNames);

}  // namespace velsor::crypto
