#pragma once
// Identifier and length octets of DER, shared by the writer and the reader.

#include <cstdint>

#include "platform/base/bytes.h"

namespace velsor::crypto {

// Seven bits per byte, most significant group first, every byte but the last with bit 7
// set; 0 is the single byte 0x00.
void AppendBase128(Bytes& out, std::uint32_t value);

// Tag numbers up to 30 fit the first byte with the class bits; larger ones follow it in
// base 128. A negative tag number fails.
bool AppendIdentifier(Bytes& out, std::uint8_t classByte, std::int32_t tag);
std::int32_t IdentifierSize(std::int32_t tag);

// Short form up to 127, else 0x80 | n and n big-endian bytes. A negative length fails.
bool AppendLength(Bytes& out, std::int32_t length);

}  // namespace velsor::crypto
