// BerDecode over arbitrary bytes with the formats that take signed messages apart.

#include <cstdint>
#include <string>
#include <vector>

#include "crypto/ber_decoder.h"

namespace {

using namespace velsor;
using namespace velsor::crypto;

void TakeSignerInfos(const Bytes& signerInfos) {
  BerContext context(signerInfos);
  std::int32_t version = 0, issuerLength = 0, serialLength = 0, count = 0, signatureLength = 0;
  Bytes issuer, signature;
  std::string serial;
  std::vector<std::int32_t> digest, algorithm;
  BerDecode(context, "[{i", &version);
  BerDecode(context, "{$I}", &issuer, &issuerLength, &serial, &serialLength);
  BerDecode(context, "{On}", &digest, &count);
  BerDecode(context, "{On}", &algorithm, &count);
  BerDecode(context, "o}]", &signature, &signatureLength);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  BerContext message(ByteView(data, size));
  std::vector<std::int32_t> type;
  std::int32_t count = 0;
  Bytes fields[5];
  std::int32_t lengths[5];
  if (BerDecode(message, "{O({$$$$$})}", &type, &count, &fields[0], &lengths[0], &fields[1],
                &lengths[1], &fields[2], &lengths[2], &fields[3], &lengths[3], &fields[4],
                &lengths[4]) != kBerOk) {
    return 0;
  }
  BerContext contentInfo(fields[2]);
  Bytes content;
  std::int32_t contentLength = 0;
  BerDecode(contentInfo, "{O(o)}", &type, &count, &content, &contentLength);
  TakeSignerInfos(fields[4]);
  BerContext certificates(fields[3]);
  Bytes certificate;
  std::int32_t certificateLength = 0;
  BerDecode(certificates, "($)", &certificate, &certificateLength);
  return 0;
}
