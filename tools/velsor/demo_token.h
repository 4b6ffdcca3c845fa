#pragma once
// velsor demo-pki --token: a demo user whose key is made on a SoftHSM2 token.

#include <openssl/evp.h>

#include <functional>
#include <string>

#include "platform/base/bytes.h"

namespace velsor::cli {

struct DemoToken {
  std::string modulePath = "/usr/lib/softhsm/libsofthsm2.so";
  std::string label = "Velsor Demo Token";
  std::string userPin = "123456";
  std::string soPin = "12345678";
};

// Initialises a free token of the module, generates a key pair on it, has `issue` make
// the certificate for its public key and stores that certificate on the token. Without
// SOFTHSM2_CONF the tokens live in $VELSOR_HOME/softhsm2; the user is told to export it.
// Returns the certificate.
Bytes PutDemoUserOnToken(const DemoToken& token,
                         const std::function<Bytes(const EVP_PKEY& publicKey)>& issue);

}  // namespace velsor::cli
