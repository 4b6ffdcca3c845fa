// velsor: the current user's certificate stores, from the command line.

#include <cstdio>
#include <vector>

#include "cli.h"

namespace {

constexpr char kUsage[] =
    "usage: velsor COMMAND ...\n"
    "\n"
    "  store list [STORE]            certificates of a store (MY unless named)\n"
    "  store import-pfx FILE ...     a certificate with its private key into MY\n"
    "  store add STORE FILE          certificates (PEM or DER) into a store\n"
    "  store add-crl STORE FILE      a revocation list (PEM or DER) into a store\n"
    "  store remove STORE INDEX      a certificate out of a store\n"
    "  store export STORE INDEX      a certificate as PEM on standard output\n"
    "  token add|list|remove ...     PKCS#11 tokens whose certificates appear in MY\n"
    "  demo-pki [--token]            a demo root, authority, users, partner and CRL\n"
    "  bridge allow|deny|list ...    which web origins may use your certificates\n"
    "  bridge install [...]          let Chromium, Chrome, Edge and Firefox start velsor-host\n"
    "  doctor                        what a page in each browser here needs, and its fixes\n"
    "\n"
    "Stores: MY (your certificates with keys), CA, ROOT, AddressBOOK.\n"
    "Data lives in $VELSOR_HOME (default ~/.local/share/velsor).\n"
    "Run 'velsor store --help', 'velsor token --help', 'velsor bridge --help' or\n"
    "'velsor demo-pki --help'.\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
    std::fputs(kUsage, arguments.empty() ? stderr : stdout);
    return arguments.empty() ? 2 : 0;
  }
  try {
    const velsor::cli::Arguments rest = std::span(arguments).subspan(1);
    if (arguments[0] == "store") return velsor::cli::StoreCommand(rest);
    if (arguments[0] == "token") return velsor::cli::TokenCommand(rest);
    if (arguments[0] == "demo-pki") return velsor::cli::DemoPkiCommand(rest);
    if (arguments[0] == "bridge") return velsor::cli::BridgeCommand(rest);
    if (arguments[0] == "doctor") return velsor::cli::DoctorCommand(rest);
    std::fprintf(stderr, "velsor: unknown command '%.*s'\n\n%s",
                 static_cast<int>(arguments[0].size()), arguments[0].data(), kUsage);
    return 2;
  } catch (const velsor::cli::CommandError& error) {
    std::fprintf(stderr, "velsor: %s\n", error.what());
    return 1;
  }
}
