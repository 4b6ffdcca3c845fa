#pragma once
// Reading a PKCS#12 file's bags: with the library's ciphers, or with OpenSSL's legacy ones
// (RC2-40, RC4, DES), which older exports use and which OpenSSL 3 keeps out of its default
// provider. The legacy provider is loaded into a library context of its own for one reading
// only, so nothing else in the process ever uses those ciphers.

#include <openssl/pkcs12.h>

#include <optional>

#include "store_inputs.h"

namespace velsor::cli {

// PKCS12_parse with `password`; nothing when the bags cannot be read.
std::optional<Pkcs12Contents> ParsePkcs12(PKCS12& pfx, const char* password);

// The same with the legacy ciphers at hand; what it gives belongs to the default context.
std::optional<Pkcs12Contents> ParsePkcs12WithLegacyCiphers(PKCS12& pfx, const char* password);

}  // namespace velsor::cli
