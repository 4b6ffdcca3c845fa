// velsor store: list, import, add, remove and export certificates.

#include <openssl/pem.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "certs/cert_text.h"
#include "cli.h"
#include "platform/base/hex.h"
#include "platform/codepage/utf.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/openssl/cert_builder.h"
#include "platform/crypt/openssl/cert_context_openssl.h"
#include "platform/crypt/openssl/key_containers_openssl.h"
#include "platform/crypt/openssl/name_text_openssl.h"
#include "store_inputs.h"

namespace velsor::cli {
namespace {

using crypt::BioPtr;
using crypt::CertStore;

constexpr char kStoreUsage[] =
    "usage:\n"
    "  velsor store list [STORE]\n"
    "      One line per certificate, in the store's order: index, subject, serial number,\n"
    "      expiry (UTC) and the key it is linked to (none, exchange or signature),\n"
    "      separated by tabs. Indexes start at 1.\n"
    "  velsor store import-pfx FILE [--password-env VAR | --password-file F]\n"
    "                              [--key-spec exchange|signature] [--with-chain]\n"
    "      Puts the certificate and its private key of a PKCS#12 file into MY, the key in\n"
    "      a new container (exchange key unless asked). Other certificates in the file are\n"
    "      listed, and with --with-chain added: authorities to CA (never to ROOT), the\n"
    "      rest to AddressBOOK.\n"
    "  velsor store add STORE FILE        certificates from a PEM file (one or more) or DER\n"
    "  velsor store add-crl STORE FILE    a revocation list, PEM or DER\n"
    "  velsor store remove STORE INDEX    the certificate at INDEX (see list)\n"
    "  velsor store export STORE INDEX    the certificate at INDEX as PEM on standard output\n"
    "\n"
    "STORE is MY, CA, ROOT or AddressBOOK, in any case.\n";

CertStore OpenStore(std::string_view name) {
  return Require(CertStore::Open(codepage::Utf8ToUtf16(name)), "store " + std::string(name));
}

std::vector<crypt::CertContextPtr> Listed(const CertStore& store) {
  return Require(store.Certificates(), "reading the store");
}

crypt::CertContextPtr AtIndex(const CertStore& store, std::string_view index) {
  std::size_t number = 0;
  auto [end, error] = std::from_chars(index.data(), index.data() + index.size(), number);
  const auto certificates = Listed(store);
  if (error != std::errc{} || end != index.data() + index.size() || number == 0 ||
      number > certificates.size()) {
    throw CommandError("no certificate at index " + std::string(index) + " (the store holds " +
                       std::to_string(certificates.size()) + ")");
  }
  return certificates[number - 1];
}

// The key's kind; a certificate on a token gets a further column naming its token.
std::string LinkedKey(const crypt::CertContext& certificate) {
  const auto link = certificate.KeyProviderInfo();
  if (!link) return "none";
  std::string kind = link->keySpec == crypt::AT_SIGNATURE ? "signature" : "exchange";
  if (certificate.token()) kind += "\ttoken \"" + Utf8(*certificate.token()) + "\"";
  return kind;
}

std::string SerialOf(const crypt::CertContext& certificate) {
  return Utf8(certs::SerialText(certificate.serialBlob()));
}

int List(Arguments arguments) {
  const CertStore store = OpenStore(arguments.empty() ? "MY" : arguments[0]);
  std::size_t index = 0;
  std::vector<std::int64_t> undecodable;
  const auto certificates = Require(store.Certificates(&undecodable), "reading the store");
  for (std::int64_t row : undecodable) {
    std::fprintf(stderr, "velsor: row %lld of the store holds no certificate that can be read\n",
                 static_cast<long long>(row));
  }
  for (const auto& certificate : certificates) {
    const auto notAfter = certs::GetCertText(*certificate, certs::CertDetail::NotAfter);
    std::printf("%zu\t%s\t%s\t%s\t%s\n", ++index, Utf8(crypt::SubjectText(*certificate)).c_str(),
                SerialOf(*certificate).c_str(), Utf8(notAfter.value_or(u"")).c_str(),
                LinkedKey(*certificate).c_str());
  }
  return 0;
}

int Add(Arguments arguments) {
  if (arguments.size() != 2) throw CommandError("usage: velsor store add STORE FILE");
  CertStore store = OpenStore(arguments[0]);
  const std::string file(arguments[1]);
  const CertificatesRead read = CertificatesIn(ReadFile(file), file);
  if (!read.problem.empty()) throw CommandError(read.problem + "; nothing was added");
  if (read.certificates.empty()) throw CommandError(file + " holds no certificate");
  for (const auto& added : Require(store.AddAll(read.certificates), "adding the certificates")) {
    std::printf("added %s\n", Utf8(crypt::SubjectText(*added)).c_str());
  }
  return 0;
}

int AddCrl(Arguments arguments) {
  if (arguments.size() != 2) throw CommandError("usage: velsor store add-crl STORE FILE");
  CertStore store = OpenStore(arguments[0]);
  Require(store.AddCrl(CrlIn(ReadFile(std::string(arguments[1])))), std::string(arguments[1]));
  std::printf("added a revocation list to %s\n",
              Utf8(crypt::SystemStoreName(store.which())).c_str());
  return 0;
}

int Remove(Arguments arguments) {
  if (arguments.size() != 2) throw CommandError("usage: velsor store remove STORE INDEX");
  CertStore store = OpenStore(arguments[0]);
  const auto certificate = AtIndex(store, arguments[1]);
  Require(store.Remove(*certificate), "removing the certificate");
  std::printf("removed %s\n", Utf8(crypt::SubjectText(*certificate)).c_str());
  return 0;
}

int Export(Arguments arguments) {
  if (arguments.size() != 2) throw CommandError("usage: velsor store export STORE INDEX");
  const auto certificate = AtIndex(OpenStore(arguments[0]), arguments[1]);
  BioPtr out(BIO_new_fp(stdout, BIO_NOCLOSE));
  if (!PEM_write_bio_X509(out.get(), crypt::X509Of(*certificate)))
    throw CommandError("cannot write PEM");
  return 0;
}

struct PfxOptions {
  std::string file;
  std::optional<std::string> password;
  DWORD keySpec = crypt::AT_KEYEXCHANGE;
  bool withChain = false;
};

std::string PasswordFromFile(const std::string& path) {
  const Bytes bytes = ReadFile(path);
  std::string password(bytes.begin(), bytes.end());
  password = password.substr(0, password.find_first_of("\r\n"));
  return password;
}

PfxOptions ParsePfxOptions(Arguments arguments) {
  PfxOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= arguments.size()) throw CommandError(std::string(argument) + " needs a value");
      return std::string(arguments[++i]);
    };
    if (argument == "--password-env") {
      const std::string variable = value();
      const char* password = std::getenv(variable.c_str());
      if (password == nullptr) throw CommandError("the variable " + variable + " is not set");
      options.password = password;
    } else if (argument == "--password-file") {
      options.password = PasswordFromFile(value());
    } else if (argument == "--key-spec") {
      const std::string spec = value();
      if (spec == "exchange") {
        options.keySpec = crypt::AT_KEYEXCHANGE;
      } else if (spec == "signature") {
        options.keySpec = crypt::AT_SIGNATURE;
      } else {
        throw CommandError("--key-spec is exchange or signature");
      }
    } else if (argument == "--with-chain") {
      options.withChain = true;
    } else if (options.file.empty() && !argument.starts_with("--")) {
      options.file = argument;
    } else {
      throw CommandError("unexpected argument '" + std::string(argument) + "'");
    }
  }
  if (options.file.empty()) throw CommandError("usage: velsor store import-pfx FILE [options]");
  return options;
}

int ImportPfx(Arguments arguments) {
  const PfxOptions options = ParsePfxOptions(arguments);
  Pkcs12Read read = Pkcs12In(ReadFile(options.file), options.password);
  if (!read.contents) {
    switch (read.failure) {
      case Pkcs12Failure::NotPkcs12:
        throw CommandError(options.file + " is not a PKCS#12 file");
      case Pkcs12Failure::WrongPassword:
        throw CommandError("wrong password for " + options.file);
      case Pkcs12Failure::Unreadable:
        throw CommandError("cannot read " + options.file + " (wrong password?)");
      case Pkcs12Failure::LegacyProtection:
        throw CommandError(options.file + " uses a legacy protection that cannot be read");
      case Pkcs12Failure::NoKeyOrCertificate:
        throw CommandError(options.file + " holds no certificate with its key");
    }
  }
  const crypt::EvpPkeyPtr& key = read.contents->key;
  const crypt::X509Ptr& certificate = read.contents->certificate;
  const crypt::X509StackPtr& chain = read.contents->chain;

  const auto imported =
      Require(crypt::ImportCertificateWithKey(crypt::EncodeCertificate(*certificate), *key,
                                              options.keySpec, crypt::kEnhancedProvider),
              "importing " + options.file);
  std::printf("imported %s into MY with a%s key\n", Utf8(crypt::SubjectText(*imported)).c_str(),
              options.keySpec == crypt::AT_SIGNATURE ? " signature" : "n exchange");
  for (int i = 0; chain && i < sk_X509_num(chain.get()); ++i) {
    X509* other = sk_X509_value(chain.get(), i);
    const std::string name = Utf8(crypt::X500NameText(X509_get_subject_name(other)));
    if (!options.withChain) {
      std::printf("also in the file (not added; use --with-chain): %s\n", name.c_str());
      continue;
    }
    CertStore store = OpenStore(X509_check_ca(other) != 0 ? "CA" : "AddressBOOK");
    Require(store.Add(crypt::EncodeCertificate(*other)), "adding " + name);
    std::printf("added %s to %s\n", name.c_str(),
                Utf8(crypt::SystemStoreName(store.which())).c_str());
  }
  return 0;
}

}  // namespace

int StoreCommand(Arguments arguments) {
  if (arguments.empty()) {
    std::fputs(kStoreUsage, stderr);
    return 2;
  }
  const std::string_view command = arguments[0];
  const Arguments rest = arguments.subspan(1);
  if (command == "--help" || command == "-h" ||
      std::find(rest.begin(), rest.end(), std::string_view("--help")) != rest.end()) {
    std::fputs(kStoreUsage, stdout);
    return 0;
  }
  if (command == "list") return List(rest);
  if (command == "import-pfx") return ImportPfx(rest);
  if (command == "add") return Add(rest);
  if (command == "add-crl") return AddCrl(rest);
  if (command == "remove") return Remove(rest);
  if (command == "export") return Export(rest);
  throw CommandError("unknown store command '" + std::string(command) +
                     "' (see velsor store --help)");
}

}  // namespace velsor::cli
