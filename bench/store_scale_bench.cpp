// A server-mode VLAttachedSign with the signer last among 10 to 10,000 certificates in
// "MY", against OpenSSL signing with a certificate and key read from their stored forms
// (work that does not grow with the store). The ratio should stay flat as the store grows.
// scripts/bench prints the ratios; with --benchmark_filter=SignAmong_Velsor the times.

#include <benchmark/benchmark.h>
#include <openssl/pkcs7.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <string>

#include "control/tolvane_velsor.h"
#include "filler_certificates.h"
#include "platform/com/bstr.h"
#include "platform/crypt/openssl/cert_builder.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/openssl/key_containers_openssl.h"

namespace {

using namespace velsor;

constexpr char16_t kSignerDn[] = u"C=CN, O=Scale, CN=Scale Signer";

struct Authority {
  crypt::EvpPkeyPtr key = crypt::GenerateRsaKey(2048);
  crypt::X509Ptr certificate;
  crypt::EvpPkeyPtr signerKey = crypt::GenerateRsaKey(2048);
  Bytes signer;
  std::vector<Bytes> fillers;
};

Authority& SharedAuthority() {
  static Authority made = [] {
    Authority authority;
    auto root = bench::ScaleRequest("Scale Root", {0x01});
    root.certificateAuthority = true;
    authority.certificate =
        std::move(*crypt::IssueCertificate(root, *authority.key, nullptr, *authority.key));
    authority.signer = crypt::EncodeCertificate(
        **crypt::IssueCertificate(bench::ScaleRequest("Scale Signer", {0x02}), *authority.signerKey,
                                  authority.certificate.get(), *authority.key));
    authority.fillers = bench::FillerCertificates(10000, *authority.certificate, *authority.key);
    return authority;
  }();
  return made;
}

// A user data folder whose "MY" holds `count` certificates, the signer last.
void UseStoreOf(std::size_t count) {
  static const std::string base = [] {
    char folder[] = "/tmp/velsor-scale-XXXXXX";
    return std::string(mkdtemp(folder));
  }();
  const std::string home = base + "/" + std::to_string(count);
  setenv("VELSOR_HOME", home.c_str(), 1);
  if (std::filesystem::exists(home)) return;
  Authority& authority = SharedAuthority();
  auto my = crypt::CertStore::Open(u"MY");
  my->AddAll(std::span(authority.fillers).first(count - 1));
  crypt::CertStore::Open(u"ROOT")->Add(crypt::EncodeCertificate(*authority.certificate));
  crypt::ImportCertificateWithKey(authority.signer, *authority.signerKey, crypt::AT_SIGNATURE,
                                  crypt::kEnhancedProvider);
}

void SignAmong_Velsor(benchmark::State& state) {
  UseStoreOf(static_cast<std::size_t>(state.range(0)));
  auto control = CTolvaneVelsor::Create();
  control->put_VLServerMode(1);
  Bstr text(u"a transfer of 100 yuan");
  Bstr dn(kSignerDn);
  for (auto _ : state) {
    control->VLSetPlainText(text.get());
    BSTR signature = nullptr;
    control->VLAttachedSign(dn.get(), &signature);
    LONG status = 0;
    control->get_errorNum(&status);
    if (status != 0 || signature == nullptr) state.SkipWithError("signing failed");
    SysFreeString(signature);
  }
}

// The certificate and key decoded from their stored forms and the message made, each call.
void SignAmong_OpenSSL(benchmark::State& state) {
  const Authority& authority = SharedAuthority();
  unsigned char* der = nullptr;
  crypt::Pkcs8Ptr info(EVP_PKEY2PKCS8(authority.signerKey.get()));
  const int length = i2d_PKCS8_PRIV_KEY_INFO(info.get(), &der);
  const Bytes pkcs8(der, der + length);
  OPENSSL_free(der);
  const std::string content = "a transfer of 100 yuan";
  for (auto _ : state) {
    const unsigned char* cursor = authority.signer.data();
    crypt::X509Ptr certificate(
        d2i_X509(nullptr, &cursor, static_cast<long>(authority.signer.size())));
    cursor = pkcs8.data();
    crypt::Pkcs8Ptr stored(
        d2i_PKCS8_PRIV_KEY_INFO(nullptr, &cursor, static_cast<long>(pkcs8.size())));
    crypt::EvpPkeyPtr key(EVP_PKCS82PKEY(stored.get()));
    crypt::BioPtr data(BIO_new_mem_buf(content.data(), static_cast<int>(content.size())));
    constexpr int kFlags = PKCS7_BINARY | PKCS7_NOATTR | PKCS7_NOSMIMECAP;
    PKCS7* message = PKCS7_sign(certificate.get(), key.get(), nullptr, data.get(), kFlags);
    unsigned char* out = nullptr;
    benchmark::DoNotOptimize(i2d_PKCS7(message, &out));
    OPENSSL_free(out);
    PKCS7_free(message);
  }
}

// What `velsor store add MY FILE` does with a file of 10,000 certificates: each checked
// for a duplicate and stored with its names, in one transaction, into an empty store.
void StoreAdd_Velsor(benchmark::State& state) {
  const Authority& authority = SharedAuthority();
  const auto count = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    char folder[] = "/tmp/velsor-add-XXXXXX";
    const std::string home = std::string(mkdtemp(folder)) + "/home";
    setenv("VELSOR_HOME", home.c_str(), 1);
    auto my = crypt::CertStore::Open(u"MY");
    state.ResumeTiming();
    benchmark::DoNotOptimize(my->AddAll(std::span(authority.fillers).first(count)));
    state.PauseTiming();
    std::filesystem::remove_all(std::filesystem::path(home).parent_path());
    state.ResumeTiming();
  }
}

// OpenSSL decoding the same certificates, the least any import must do.
void StoreAdd_OpenSSL(benchmark::State& state) {
  const Authority& authority = SharedAuthority();
  const auto count = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    for (const Bytes& encoded : std::span(authority.fillers).first(count)) {
      const unsigned char* cursor = encoded.data();
      crypt::X509Ptr certificate(d2i_X509(nullptr, &cursor, static_cast<long>(encoded.size())));
      benchmark::DoNotOptimize(certificate.get());
    }
  }
}

// VLEnumCertsDNByIssers asked about 1,000 issuers at once over 400 certificates.
void EnumIssuers_Velsor(benchmark::State& state) {
  UseStoreOf(400);
  auto control = CTolvaneVelsor::Create();
  std::u16string issuers;
  for (int i = 0; i < state.range(0); ++i) {
    if (i > 0) issuers += u';';
    issuers += i % 2 ? u"CN=Scale Root" : u"CN=Another Authority";
  }
  Bstr argument(issuers);
  for (auto _ : state) {
    BSTR subjects = nullptr;
    control->VLEnumCertsDNByIssers(argument.get(), &subjects);
    LONG status = 0;
    control->get_errorNum(&status);
    if (status != 0) state.SkipWithError("enumeration failed");
    SysFreeString(subjects);
  }
}

// OpenSSL decoding the 400 certificates once: what reading the store once costs at least.
void EnumIssuers_OpenSSL(benchmark::State& state) {
  const Authority& authority = SharedAuthority();
  for (auto _ : state) {
    for (const Bytes& encoded : std::span(authority.fillers).first(400)) {
      const unsigned char* cursor = encoded.data();
      crypt::X509Ptr certificate(d2i_X509(nullptr, &cursor, static_cast<long>(encoded.size())));
      benchmark::DoNotOptimize(
          X509_NAME_oneline(X509_get_issuer_name(certificate.get()), nullptr, 0));
    }
  }
}

}  // namespace

BENCHMARK(EnumIssuers_Velsor)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(EnumIssuers_OpenSSL)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(StoreAdd_Velsor)->Arg(10000)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(StoreAdd_OpenSSL)->Arg(10000)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(SignAmong_Velsor)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SignAmong_OpenSSL)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
