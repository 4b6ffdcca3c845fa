#include "demo_token.h"

#include <openssl/rand.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "cli.h"
#include "platform/base/storage/velsor_home.h"
#include "platform/crypt/openssl/token_enrolment.h"

namespace velsor::cli {
namespace {

constexpr char kConfigVariable[] = "SOFTHSM2_CONF";

// SoftHSM2 reads its configuration when the module starts; a user's own one keeps the
// demo token out of the system's token folder.
void UseOwnSoftHsmConfiguration() {
  if (const char* set = std::getenv(kConfigVariable); set != nullptr && *set != '\0') return;
  const auto home = Require(storage::VelsorHome(), "the user's folder");
  const auto folder = home / "softhsm2";
  std::error_code error;
  std::filesystem::create_directories(folder / "tokens", error);
  if (error) throw CommandError("cannot make " + (folder / "tokens").string());
  const auto config = folder / "softhsm2.conf";
  std::ofstream(config) << "directories.tokendir = " << (folder / "tokens").string() << "/\n"
                        << "objectstore.backend = file\nlog.level = ERROR\n";
  setenv(kConfigVariable, config.c_str(), 1);
  std::printf("The demo token lives in %s; before using it, run:\n  export %s=%s\n\n",
              folder.c_str(), kConfigVariable, config.c_str());
}

}  // namespace

Bytes PutDemoUserOnToken(const DemoToken& token,
                         const std::function<Bytes(const EVP_PKEY& publicKey)>& issue) {
  UseOwnSoftHsmConfiguration();
  Require(crypt::InitializeFreeToken(token.modulePath, token.label, token.soPin, token.userPin),
          "initialising a token of " + token.modulePath);
  auto module = Require(crypt::Pkcs11Module::Load(token.modulePath), "loading the module");
  const auto session =
      Require(crypt::OpenUserSession(module, token.label, token.userPin), "logging in");
  Bytes id(8);
  RAND_bytes(id.data(), static_cast<int>(id.size()));
  const auto publicKey =
      Require(crypt::GenerateKeyOnToken(session, id, "demo user", 2048), "generating the key");
  const Bytes certificate = issue(*publicKey);
  Require(crypt::StoreCertificateOnToken(session, certificate, id, "demo user"),
          "storing the certificate");
  return certificate;
}

}  // namespace velsor::cli
