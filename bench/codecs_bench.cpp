// Our Base64 and gzip member codecs against OpenSSL and zlib doing the same work on the
// same data. scripts/bench prints the ratios.

#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <random>

#include "formats/base64.h"
#include "formats/gzip_member.h"

namespace {

using velsor::Bytes;

constexpr std::size_t kSize = 1 << 20;

const Bytes& Noise() {
  static const Bytes data = [] {
    std::mt19937 random(42);
    Bytes bytes(kSize);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
  }();
  return data;
}

// A signed message is mostly text and structure: compressible, not trivially.
const Bytes& Message() {
  static const Bytes data = [] {
    std::mt19937 random(7);
    const char* words[] = {"certificate ", "signature ", "0x3082",       "issuer=CN ", "serial ",
                           "digest ",      "envelope ",  "\x30\x82\x01", "store "};
    Bytes bytes;
    while (bytes.size() < kSize) {
      const char* word = words[random() % 9];
      bytes.insert(bytes.end(), word, word + std::char_traits<char>::length(word));
      if (random() % 8 == 0) bytes.push_back(static_cast<std::uint8_t>(random()));
    }
    bytes.resize(kSize);
    return bytes;
  }();
  return data;
}

void Base64Encode_Velsor(benchmark::State& state) {
  const Bytes& data = Noise();
  std::string text(kSize * 4 / 3 + 8, '\0');
  for (auto _ : state) {
    // Into a buffer the caller holds, as OpenSSL's block encoder writes.
    velsor::formats::Base64Encoder encoder(false);
    encoder.Finish(text.data() + encoder.Update(data, text.data()));
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}

void Base64Encode_OpenSSL(benchmark::State& state) {
  const Bytes& data = Noise();
  std::string text(kSize * 4 / 3 + 8, '\0');
  for (auto _ : state) {
    EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), data.data(),
                    static_cast<int>(data.size()));
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}

std::string EncodedNoise() {
  std::string text(kSize * 4 / 3 + 8, '\0');
  const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), Noise().data(),
                                     static_cast<int>(kSize));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

void Base64Decode_Velsor(benchmark::State& state) {
  const std::string text = EncodedNoise();
  Bytes out(text.size());
  for (auto _ : state) {
    velsor::formats::Base64Decoder decoder;
    benchmark::DoNotOptimize(decoder.Update(text, out));
    benchmark::DoNotOptimize(decoder.Finish());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void Base64Decode_OpenSSL(benchmark::State& state) {
  const std::string text = EncodedNoise();
  Bytes out(text.size());
  for (auto _ : state) {
    EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()),
                    static_cast<int>(text.size()));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// Bare zlib with the parameters of the gzip member: raw deflate, default level.
std::size_t ZlibDeflate(const Bytes& in, Bytes& out) {
  z_stream stream{};
  deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  stream.next_in = const_cast<std::uint8_t*>(in.data());
  stream.avail_in = static_cast<uInt>(in.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  const std::size_t size = stream.total_out;
  deflateEnd(&stream);
  return size;
}

std::size_t ZlibInflate(const std::uint8_t* in, std::size_t size, Bytes& out) {
  z_stream stream{};
  inflateInit2(&stream, -MAX_WBITS);
  stream.next_in = const_cast<std::uint8_t*>(in);
  stream.avail_in = static_cast<uInt>(size);
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  inflate(&stream, Z_FINISH);
  const std::size_t produced = stream.total_out;
  inflateEnd(&stream);
  return produced;
}

void Compress_Velsor(benchmark::State& state) {
  const Bytes& data = Message();
  Bytes out(kSize * 2);
  for (auto _ : state) {
    benchmark::DoNotOptimize(velsor::formats::GzipCompress(data, out));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}

void Compress_Zlib(benchmark::State& state) {
  const Bytes& data = Message();
  Bytes out(kSize * 2);
  for (auto _ : state) {
    benchmark::DoNotOptimize(ZlibDeflate(data, out));
    // The member also carries a CRC-32 of the data.
    benchmark::DoNotOptimize(crc32(0, data.data(), static_cast<uInt>(data.size())));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}

Bytes PackedMessage() { return *velsor::formats::CompressMessage(Message()); }

void Uncompress_Velsor(benchmark::State& state) {
  const Bytes member = PackedMessage();
  Bytes out(kSize);
  for (auto _ : state) {
    benchmark::DoNotOptimize(velsor::formats::GzipUncompress(member, out));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}

void Uncompress_Zlib(benchmark::State& state) {
  const Bytes member = PackedMessage();
  Bytes out(kSize);
  for (auto _ : state) {
    benchmark::DoNotOptimize(ZlibInflate(member.data() + 10, member.size() - 18, out));
    benchmark::DoNotOptimize(crc32(0, out.data(), static_cast<uInt>(out.size())));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}

}  // namespace

BENCHMARK(Base64Encode_Velsor);
BENCHMARK(Base64Encode_OpenSSL);
BENCHMARK(Base64Decode_Velsor);
BENCHMARK(Base64Decode_OpenSSL);
BENCHMARK(Compress_Velsor);
BENCHMARK(Compress_Zlib);
BENCHMARK(Uncompress_Velsor);
BENCHMARK(Uncompress_Zlib);

BENCHMARK_MAIN();
