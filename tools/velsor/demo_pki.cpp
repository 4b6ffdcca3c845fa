// velsor demo-pki: a small certificate hierarchy to try the control with.

#include <openssl/rand.h>

#include <cstdio>
#include <ctime>

#include "cli.h"
#include "demo_token.h"
#include "platform/crypt/openssl/cert_builder.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/openssl/key_containers_openssl.h"
#include "platform/crypt/openssl/name_text_openssl.h"
#include "platform/crypt/openssl/token_certificates.h"
#include "platform/crypt/openssl/user_data_connection.h"
#include "platform/crypt/user_data.h"

namespace velsor::cli {
namespace {

using crypt::NameAttribute;

constexpr char kDemoUsage[] =
    "usage: velsor demo-pki [--token [--module PATH]]\n"
    "\n"
    "Makes a demo hierarchy in the current user's stores: a root in ROOT, an intermediate\n"
    "authority in CA with its revocation list, two users with their keys in MY (one with\n"
    "an exchange key, one with a signature key) and a partner in AddressBOOK, which holds\n"
    "the two users as well. Every run makes new keys and certificates.\n"
    "\n"
    "With --token, a third user \"王五 Token Demo\" gets a key made on a new SoftHSM2 token\n"
    "(\"Velsor Demo Token\", user PIN 123456, security officer PIN 12345678), which --module\n"
    "names when SoftHSM2 is not at its Debian path; the module is added for the user and\n"
    "the certificate goes into AddressBOOK as well.\n";

constexpr std::time_t kDay = 24 * 60 * 60;

struct Made {
  crypt::X509Ptr certificate;
  crypt::EvpPkeyPtr key;
  Bytes encoded;
};

crypt::CertificateRequest Request(std::vector<NameAttribute> subject, Bytes serial, bool authority,
                                  int days) {
  crypt::CertificateRequest request;
  request.subject = std::move(subject);
  request.serial = std::move(serial);
  request.notBefore = std::time(nullptr) - kDay;
  request.notAfter = std::time(nullptr) + days * kDay;
  request.certificateAuthority = authority;
  request.keyUsage = authority ? "critical,keyCertSign,cRLSign"
                               : "digitalSignature,nonRepudiation,keyEncipherment,dataEncipherment";
  return request;
}

Made Issue(std::vector<NameAttribute> subject, Bytes serial, const Made* issuer, bool authority,
           int days) {
  Made made;
  made.key = crypt::GenerateRsaKey(2048);
  if (!made.key) throw CommandError("cannot generate an RSA key");
  const auto request = Request(std::move(subject), std::move(serial), authority, days);
  made.certificate = Require(
      crypt::IssueCertificate(request, *made.key, issuer ? issuer->certificate.get() : nullptr,
                              issuer ? *issuer->key : *made.key),
      "issuing a certificate");
  made.encoded = crypt::EncodeCertificate(*made.certificate);
  return made;
}

std::vector<NameAttribute> Name(std::string_view commonName) {
  return {NameAttribute::Printable("C", "CN"), NameAttribute::Utf8("O", "Velsor Demo"),
          NameAttribute::Utf8("CN", commonName)};
}

// A positive serial: a fixed first byte below 0x80, then random bytes.
Bytes RandomSerial(std::uint8_t first) {
  Bytes serial(8);
  RAND_bytes(serial.data(), static_cast<int>(serial.size()));
  serial[0] = first;
  return serial;
}

void Report(const char* what, const char* store, const Made& made) {
  std::printf("%-34s %-12s %s\n", what, store,
              Utf8(crypt::X500NameText(X509_get_subject_name(made.certificate.get()))).c_str());
}

}  // namespace

int DemoPkiCommand(Arguments arguments) {
  std::optional<DemoToken> token;
  if (!arguments.empty() && arguments[0] == "--token") {
    token.emplace();
    if (arguments.size() == 3 && arguments[1] == "--module") {
      token->modulePath = arguments[2];
    } else if (arguments.size() != 1) {
      std::fputs(kDemoUsage, stderr);
      return 2;
    }
  } else if (!arguments.empty()) {
    std::fputs(kDemoUsage, arguments[0] == "--help" || arguments[0] == "-h" ? stdout : stderr);
    return arguments[0] == "--help" || arguments[0] == "-h" ? 0 : 2;
  }
  const Made root = Issue(Name("Velsor Demo Root"), RandomSerial(0x11), nullptr, true, 3650);
  const Made authority = Issue(Name("Velsor Demo CA"), RandomSerial(0x22), &root, true, 1825);
  const Made exchangeUser = Issue(Name("张三 Demo"), RandomSerial(0x33), &authority, false, 730);
  const Made signatureUser = Issue(Name("李四 Demo"), RandomSerial(0x44), &authority, false, 730);
  const Made partner = Issue(Name("Partner Demo"), RandomSerial(0x55), &authority, false, 730);
  const auto crl =
      Require(crypt::IssueCrl(*authority.certificate, *authority.key, {}, std::time(nullptr) - kDay,
                              std::time(nullptr) + 30 * kDay),
              "issuing the revocation list");

  Require(Require(crypt::CertStore::Open(u"ROOT"), "store ROOT").Add(root.encoded),
          "adding the root");
  auto ca = Require(crypt::CertStore::Open(u"CA"), "store CA");
  Require(ca.Add(authority.encoded), "adding the authority");
  Require(ca.AddCrl(crypt::EncodeCrl(*crl)), "adding the revocation list");
  Require(crypt::ImportCertificateWithKey(exchangeUser.encoded, *exchangeUser.key,
                                          crypt::AT_KEYEXCHANGE, crypt::kEnhancedProvider),
          "importing the first user");
  Require(crypt::ImportCertificateWithKey(signatureUser.encoded, *signatureUser.key,
                                          crypt::AT_SIGNATURE, crypt::kEnhancedProvider),
          "importing the second user");
  auto book = Require(crypt::CertStore::Open(u"AddressBOOK"), "store AddressBOOK");
  Require(book.Add(partner.encoded), "adding the partner");
  // The users' own certificates in the address book too, as their colleagues hold them, so
  // that messages can be enveloped for them and their raw signatures checked.
  Require(book.Add(exchangeUser.encoded), "adding the first user to the address book");
  Require(book.Add(signatureUser.encoded), "adding the second user to the address book");

  if (token) {
    const Bytes onToken = PutDemoUserOnToken(*token, [&](const EVP_PKEY& publicKey) {
      const auto request = Request(Name("王五 Token Demo"), RandomSerial(0x66), false, 730);
      const auto issued = Require(crypt::IssueCertificate(request, publicKey,
                                                          authority.certificate.get(),
                                                          *authority.key),
                                  "issuing the token user's certificate");
      return crypt::EncodeCertificate(*issued);
    });
    auto database = Require(crypt::OpenUserData(), "the user's stores");
    if (auto added = crypt::AddTokenModule(*database, token->modulePath, "demo");
        !added && added.code() != NTE_EXISTS) {
      throw CommandError("adding the module: " + added.error().detail);
    }
    Require(book.Add(onToken), "adding the token user to the address book");
    std::printf("%-34s %-12s CN=王五 Token Demo on \"%s\" (PIN %s)\n", "user with a key on a token",
                "MY (token)", token->label.c_str(), token->userPin.c_str());
  }
  Report("root", "ROOT", root);
  Report("intermediate authority", "CA", authority);
  std::printf("%-34s %-12s issued by Velsor Demo CA, revokes nothing yet\n", "revocation list",
              "CA");
  Report("user with an exchange key", "MY", exchangeUser);
  Report("user with a signature key", "MY", signatureUser);
  Report("partner (no key)", "AddressBOOK", partner);
  std::puts("(both users are in AddressBOOK as well)");
  std::puts("\nSee them with: velsor store list [MY|CA|ROOT|AddressBOOK]");
  return 0;
}

}  // namespace velsor::cli
