// SignMessage and VerifySignedMessage against OpenSSL's PKCS7_sign and PKCS7_verify doing
// the same work on the same certificate and key (RSA-2048, SHA-1, no attributes).
// scripts/bench prints the ratios.

#include <benchmark/benchmark.h>
#include <openssl/pkcs7.h>
#include <stdlib.h>

#include <filesystem>

#include "crypto/sign_engine.h"
#include "crypto/verify_engine.h"
#include "formats/base64.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/openssl/cert_builder.h"
#include "platform/crypt/openssl/key_containers_openssl.h"
#include "platform/crypt/user_data.h"
#include "platform/ui/dialog_host.h"

namespace {

using namespace velsor;

struct Pki {
  crypt::EvpPkeyPtr rootKey, userKey;
  crypt::X509Ptr root, user;
};

// A root and a user with a signature key, installed in a private VELSOR_HOME.
const Pki& SharedPki() {
  static const Pki pki = [] {
    char folder[] = "/tmp/velsor-bench-XXXXXX";
    setenv("VELSOR_HOME", (std::string(mkdtemp(folder)) + "/home").c_str(), 1);
    Pki made;
    const std::time_t now = std::time(nullptr);
    crypt::CertificateRequest request;
    request.subject = {crypt::NameAttribute::Utf8("CN", "Bench Root")};
    request.serial = {0x01};
    request.notBefore = now - 1000;
    request.notAfter = now + 100000;
    request.certificateAuthority = true;
    made.rootKey = crypt::GenerateRsaKey(2048);
    made.root = std::move(*crypt::IssueCertificate(request, *made.rootKey, nullptr, *made.rootKey));
    request.subject = {crypt::NameAttribute::Utf8("CN", "Bench User")};
    request.serial = {0x02};
    request.certificateAuthority = false;
    made.userKey = crypt::GenerateRsaKey(2048);
    made.user =
        std::move(*crypt::IssueCertificate(request, *made.userKey, made.root.get(), *made.rootKey));
    crypt::CertStore::Open(u"ROOT")->Add(crypt::EncodeCertificate(*made.root));
    crypt::ImportCertificateWithKey(crypt::EncodeCertificate(*made.user), *made.userKey,
                                    crypt::AT_SIGNATURE, crypt::kEnhancedProvider);
    return made;
  }();
  return pki;
}

Bytes Content(benchmark::State& state) {
  return Bytes(static_cast<std::size_t>(state.range(0)), 'v');
}

std::string SignWithVelsor(const Bytes& content) {
  static auto host = ui::MakeNoDialogHost();
  static const certs::ChooserTexts texts{};
  const crypto::SignSettings settings{false, 1 << 30, "1.3.14.3.2.26", false, {texts, *host}};
  return crypto::SignMessage(content, true, u"CN=Bench User", u"|", settings).base64;
}

// The engines run as a control object's calls do: on the user data the object keeps open.
crypt::UserSession& ControlSession() {
  static crypt::UserSession session;
  return session;
}

void Sign_Velsor(benchmark::State& state) {
  SharedPki();
  const crypt::UserSessionScope scope(ControlSession());
  const Bytes content = Content(state);
  for (auto _ : state) benchmark::DoNotOptimize(SignWithVelsor(content));
}

// The same message made by OpenSSL alone, and Base64 text as ours is.
std::string SignWithOpenssl(const Pki& pki, const Bytes& content) {
  crypt::BioPtr data(BIO_new_mem_buf(content.data(), static_cast<int>(content.size())));
  constexpr int kFlags = PKCS7_BINARY | PKCS7_NOATTR | PKCS7_NOSMIMECAP | PKCS7_PARTIAL;
  PKCS7* message = PKCS7_sign(nullptr, nullptr, nullptr, nullptr, kFlags);
  PKCS7_sign_add_signer(message, pki.user.get(), pki.userKey.get(), EVP_sha1(), kFlags);
  PKCS7_final(message, data.get(), kFlags);
  unsigned char* der = nullptr;
  const int length = i2d_PKCS7(message, &der);
  std::string text = *formats::Base64Encode(ByteView(der, static_cast<std::size_t>(length)));
  OPENSSL_free(der);
  PKCS7_free(message);
  return text;
}

void Sign_OpenSSL(benchmark::State& state) {
  const Pki& pki = SharedPki();
  const Bytes content = Content(state);
  for (auto _ : state) benchmark::DoNotOptimize(SignWithOpenssl(pki, content));
}

// OpenSSL signing with the certificate and key read from their stored forms each time, as
// every call of ours must: the fairer baseline for small contents.
void SignStored_OpenSSL(benchmark::State& state) {
  const Pki& pki = SharedPki();
  const Bytes content = Content(state);
  const Bytes certificate = crypt::EncodeCertificate(*pki.user);
  unsigned char* der = nullptr;
  crypt::Pkcs8Ptr info(EVP_PKEY2PKCS8(pki.userKey.get()));
  const int length = i2d_PKCS8_PRIV_KEY_INFO(info.get(), &der);
  const Bytes pkcs8(der, der + length);
  OPENSSL_free(der);
  for (auto _ : state) {
    Pki loaded;
    const unsigned char* cursor = certificate.data();
    loaded.user.reset(d2i_X509(nullptr, &cursor, static_cast<long>(certificate.size())));
    cursor = pkcs8.data();
    crypt::Pkcs8Ptr stored(
        d2i_PKCS8_PRIV_KEY_INFO(nullptr, &cursor, static_cast<long>(pkcs8.size())));
    loaded.userKey.reset(EVP_PKCS82PKEY(stored.get()));
    benchmark::DoNotOptimize(SignWithOpenssl(loaded, content));
  }
}

void SignStored_Velsor(benchmark::State& state) { Sign_Velsor(state); }

void Verify_Velsor(benchmark::State& state) {
  SharedPki();
  const crypt::UserSessionScope scope(ControlSession());
  const std::string message = SignWithVelsor(Content(state));
  for (auto _ : state) {
    benchmark::DoNotOptimize(crypto::VerifySignedMessage(message, crypto::VerifyMode::Attached));
  }
}

// OpenSSL verifying the same message and its signer's chain to the root.
void Verify_OpenSSL(benchmark::State& state) {
  const Pki& pki = SharedPki();
  const std::string message = SignWithVelsor(Content(state));
  for (auto _ : state) {
    const Bytes der = *formats::Base64Decode(message);
    const unsigned char* cursor = der.data();
    PKCS7* parsed = d2i_PKCS7(nullptr, &cursor, static_cast<long>(der.size()));
    X509_STORE* trusted = X509_STORE_new();
    X509_STORE_add_cert(trusted, pki.root.get());
    crypt::BioPtr out(BIO_new(BIO_s_mem()));
    benchmark::DoNotOptimize(
        PKCS7_verify(parsed, nullptr, trusted, nullptr, out.get(), PKCS7_BINARY));
    X509_STORE_free(trusted);
    PKCS7_free(parsed);
  }
}

}  // namespace

BENCHMARK(Sign_Velsor)->Arg(1024)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(Sign_OpenSSL)->Arg(1024)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(SignStored_Velsor)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(SignStored_OpenSSL)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(Verify_Velsor)->Arg(1024)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(Verify_OpenSSL)->Arg(1024)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
