// Peak memory of signing and verifying big content, as a multiple of the content's size.
// Each measurement runs in its own child process; the peak is the resident set's high-water
// mark during the call above what the process held just before it (the content and, for
// verification, the message). Content is random bytes, which do not compress.
//   content_memory [MIB]       prints one line per operation
// scripts/memory runs it beside a page that signs and verifies through velsor-script.

#include <openssl/rand.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "crypto/sign_engine.h"
#include "crypto/transport.h"
#include "crypto/verify_engine.h"
#include "platform/crypt/openssl/cert_builder.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/openssl/key_containers_openssl.h"
#include "platform/crypt/signed_message.h"
#include "platform/ui/dialog_host.h"

namespace {

using namespace velsor;

long StatusKib(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return -1;
}

// Forgets the high-water mark, so that the next reading tells the peak from now on.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

void InstallSigner() {
  char folder[] = "/tmp/velsor-memory-XXXXXX";
  setenv("VELSOR_HOME", (std::string(mkdtemp(folder)) + "/home").c_str(), 1);
  const auto key = crypt::GenerateRsaKey(2048);
  crypt::CertificateRequest request;
  request.subject = {crypt::NameAttribute::Utf8("CN", "Memory User")};
  request.serial = {0x01};
  request.notBefore = std::time(nullptr) - 1000;
  request.notAfter = request.notBefore + 100000;
  request.certificateAuthority = true;
  const Bytes encoded =
      crypt::EncodeCertificate(**crypt::IssueCertificate(request, *key, nullptr, *key));
  crypt::CertStore::Open(u"ROOT")->Add(encoded);
  crypt::ImportCertificateWithKey(encoded, *key, crypt::AT_SIGNATURE, crypt::kEnhancedProvider);
}

crypto::SignSettings Settings(const ui::DialogHost& host) {
  static const certs::ChooserTexts texts{};
  return {false, 51200, "1.3.14.3.2.26", false, {texts, const_cast<ui::DialogHost&>(host)}};
}

// Runs `prepare` then `measured` in a child and prints the peak of `measured`.
void Measure(const char* name, std::size_t size,
             const std::function<std::function<bool()>()>& prepare) {
  const pid_t child = fork();
  if (child == 0) {
    const auto measured = prepare();
    const long before = StatusKib("VmRSS:");
    ResetPeak();
    const bool ok = measured();
    const long peak = StatusKib("VmHWM:");
    std::printf("%-28s %6.2f x content%s\n", name,
                static_cast<double>(peak - before) * 1024.0 / static_cast<double>(size),
                ok ? "" : "  (FAILED)");
    std::fflush(stdout);
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t size = (argc > 1 ? std::stoul(argv[1]) : 64) << 20;
  InstallSigner();
  const auto host = ui::MakeNoDialogHost();
  const auto content = [&] {
    Bytes bytes(size);
    RAND_bytes(bytes.data(), static_cast<int>(bytes.size()));
    return bytes;
  };
  Measure("SignMessage", size, [&] {
    return [&, bytes = content()]() {
      return crypto::SignMessage(bytes, true, u"CN=Memory User", u"|", Settings(*host)).status == 0;
    };
  });
  if (std::getenv("VELSOR_MEMORY_PHASES")) {
    Measure("  SignPkcs7", size, [&] {
      return [&, bytes = content()]() {
        auto signer = crypt::CertStore::Open(u"MY")->Certificates();
        return bool(crypt::SignPkcs7(*signer->front(), "1.3.14.3.2.26", bytes, false));
      };
    });
    Measure("  PackMessage", size, [&] {
      return [&, bytes = content()]() mutable {
        return crypto::PackMessage(std::move(bytes), true, 51200).status == 0;
      };
    });
  }
  Measure("VerifySignedMessage", size, [&] {
    auto message =
        crypto::SignMessage(content(), true, u"CN=Memory User", u"|", Settings(*host)).base64;
    return [message = std::move(message)]() {
      return crypto::VerifySignedMessage(message, crypto::VerifyMode::Attached).status == 0;
    };
  });
  return 0;
}
