// The commands of velsor on Linux: the user's stores and tokens, the demo PKI, the bridge
// and the doctor.

#include "cli.h"

namespace velsor::cli {
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

const char* Usage() { return kUsage; }

std::span<const NamedCommand> Commands() {
  static constexpr NamedCommand kCommands[] = {
      {"store", &StoreCommand},   {"token", &TokenCommand},   {"demo-pki", &DemoPkiCommand},
      {"bridge", &BridgeCommand}, {"doctor", &DoctorCommand},
  };
  return kCommands;
}

}  // namespace velsor::cli
