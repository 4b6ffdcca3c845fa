#include "formats/gzip_member.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>

#include "fixtures/huge_member.h"
#include "fixtures/peak_memory.h"
#include "fixtures/test_files.h"
#include "formats/velsor_compression.h"

namespace velsor::formats {
namespace {

using testing::ReadFile;
using testing::WriteFile;

namespace fs = std::filesystem;

Bytes Sample(std::size_t size, std::uint32_t seed = 1) {
  // Half text-like, half noise: compressible but not trivially.
  std::mt19937 random(seed);
  Bytes data(size);
  for (std::size_t i = 0; i < size; ++i) {
    data[i] = (i / 512) % 2 ? static_cast<std::uint8_t>(random()) : "velsor gzip "[i % 12];
  }
  return data;
}

struct Outcome {
  std::int32_t status;
  std::int32_t size;
  Bytes bytes;
};

// Runs mem_compress or mem_uncompress with a buffer of `capacity` bytes (none for 0).
Outcome Run(decltype(&mem_compress) codec, const Bytes& input, std::int32_t capacity) {
  Outcome r{0, capacity, Bytes(static_cast<std::size_t>(std::max(capacity, 0)))};
  r.status = codec(input.data(), static_cast<std::int32_t>(input.size()),
                   r.bytes.empty() ? nullptr : r.bytes.data(), &r.size);
  if (r.status == Z_OK) r.bytes.resize(static_cast<std::size_t>(r.size));
  return r;
}

Outcome Compress(const Bytes& source, std::int32_t capacity) {
  return Run(&mem_compress, source, capacity);
}

Outcome Uncompress(const Bytes& member, std::int32_t capacity) {
  return Run(&mem_uncompress, member, capacity);
}

Bytes Pack(const Bytes& source) {
  Outcome sized = Compress(source, 0);
  EXPECT_EQ(sized.status, Z_BUF_ERROR);
  Outcome packed = Compress(source, sized.size);
  EXPECT_EQ(packed.status, Z_OK);
  return packed.bytes;
}

Bytes Unpack(const Bytes& member) {
  Outcome sized = Uncompress(member, 0);
  if (sized.status != Z_BUF_ERROR) return {};
  return Uncompress(member, sized.size).bytes;
}

class TempDir {
 public:
  TempDir() : path_(fs::temp_directory_path() / ("velsor-gzip-" + std::to_string(::getpid()))) {
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

TEST(GzipMember, HeaderAndTrailer) {
  const Bytes source = Sample(1000);
  const Bytes member = Pack(source);
  const Bytes header{0x1F, 0x8B, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B};
  ASSERT_GE(member.size(), 18u);
  EXPECT_TRUE(std::equal(header.begin(), header.end(), member.begin()));
  const std::uint32_t crc = crc32(0, source.data(), static_cast<uInt>(source.size()));
  const std::uint8_t* trailer = member.data() + member.size() - 8;
  EXPECT_EQ(trailer[0] | trailer[1] << 8 | trailer[2] << 16 | std::uint32_t{trailer[3]} << 24, crc);
  EXPECT_EQ(trailer[4] | trailer[5] << 8, 1000);
  EXPECT_EQ(Unpack(member), source);
}

TEST(GzipMember, TooSmallBuffersStillLearnTheExactSize) {
  const Bytes source = Sample(70000);
  Outcome small = Compress(source, 10);
  EXPECT_EQ(small.status, Z_BUF_ERROR);
  Outcome exact = Compress(source, small.size);
  EXPECT_EQ(exact.status, Z_OK);
  EXPECT_EQ(exact.size, small.size);
  EXPECT_EQ(Compress(source, small.size - 1).status, Z_BUF_ERROR);

  Outcome unpackSmall = Uncompress(exact.bytes, 100);
  EXPECT_EQ(unpackSmall.status, Z_BUF_ERROR);
  EXPECT_EQ(unpackSmall.size, 70000);
  EXPECT_EQ(Uncompress(exact.bytes, 69999).status, Z_BUF_ERROR);
  EXPECT_EQ(Uncompress(exact.bytes, 70000).bytes, source);
}

TEST(GzipMember, AbsentOrEmptySources) {
  std::int32_t size = 100;
  std::uint8_t out[100];
  EXPECT_EQ(mem_compress(nullptr, 5, out, &size), Z_DATA_ERROR);
  EXPECT_EQ(mem_compress(out, 0, out, &size), Z_DATA_ERROR);
  EXPECT_EQ(mem_uncompress(nullptr, 30, out, &size), Z_DATA_ERROR);
  // A negative length stands for an empty source: an empty member.
  size = 100;
  EXPECT_EQ(mem_compress(out, -1, out, &size), Z_OK);
  const Bytes empty(out, out + size);
  EXPECT_EQ(size, 20);
  Outcome unpacked = Uncompress(empty, 10);
  EXPECT_EQ(unpacked.status, Z_OK);
  EXPECT_EQ(unpacked.size, 0);
  Outcome withoutBuffer = Uncompress(empty, 0);
  EXPECT_EQ(withoutBuffer.status, Z_OK) << "nothing to write needs no buffer";
  EXPECT_EQ(withoutBuffer.size, 0);
}

TEST(GzipMember, RefusesWhatIsNotAMemberOfThisForm) {
  const Bytes member = Pack(Sample(3000));
  EXPECT_EQ(Uncompress(Bytes(member.begin(), member.begin() + 18), 100).status, Z_DATA_ERROR);
  for (std::size_t at : {0u, 1u, 2u}) {
    Bytes bad = member;
    bad[at] ^= 1;
    EXPECT_EQ(Uncompress(bad, 5000).status, Z_DATA_ERROR) << at;
  }
  for (std::uint8_t flag : {0x20, 0x40, 0x80}) {
    Bytes bad = member;
    bad[3] |= flag;
    EXPECT_EQ(Uncompress(bad, 5000).status, Z_DATA_ERROR) << int{flag};
  }
  Bytes trailing = member;
  trailing.push_back(0);
  EXPECT_EQ(Uncompress(trailing, 5000).status, Z_DATA_ERROR);
  Bytes truncated(member.begin(), member.end() - 1);
  EXPECT_EQ(Uncompress(truncated, 5000).status, Z_DATA_ERROR);
  Bytes badCrc = member;
  badCrc[badCrc.size() - 8] ^= 0x55;
  EXPECT_EQ(Uncompress(badCrc, 5000).status, Z_DATA_ERROR);
  Bytes badLength = member;
  badLength[badLength.size() - 1] ^= 0x55;
  EXPECT_EQ(Uncompress(badLength, 5000).status, Z_OK) << "the length field is not checked";
  Bytes corrupt = member;
  for (std::size_t i = 10; i < 40; ++i) corrupt[i] = 0xFF;
  EXPECT_EQ(Uncompress(corrupt, 5000).status, Z_DATA_ERROR);
}

TEST(GzipMember, OptionalHeaderFieldsAreSkipped) {
  const Bytes source = Sample(500);
  const Bytes plain = Pack(source);
  Bytes member(plain.begin(), plain.begin() + 10);
  member[3] = 0x04 | 0x08 | 0x10 | 0x02;
  const Bytes extra{5, 0, 'a', 'b', 'c', 'd', 'e'};
  member.insert(member.end(), extra.begin(), extra.end());
  for (const char* text : {"name.txt", "a comment"})
    member.insert(member.end(), text, text + std::strlen(text) + 1);
  member.insert(member.end(), {0x12, 0x34});  // header check, not tested
  member.insert(member.end(), plain.begin() + 10, plain.end());
  EXPECT_EQ(Unpack(member), source);

  Bytes unterminated(plain.begin(), plain.begin() + 10);
  unterminated[3] = 0x08;
  unterminated.insert(unterminated.end(), 30, 'n');
  EXPECT_EQ(Uncompress(unterminated, 100).status, Z_DATA_ERROR);
}

TEST(GzipMember, LargeMembersAcrossWorkBufferBoundaries) {
  // Incompressible data makes members a little longer than their content, so trailers
  // land on and around multiples of 16384.
  std::mt19937 random(7);
  for (std::size_t size : {16384u, 16375u, 16376u, 16377u, 32750u, 32768u, 100000u}) {
    Bytes noise(size);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    const Bytes member = Pack(noise);
    EXPECT_EQ(Unpack(member), noise) << size << " packed to " << member.size();
  }
}

TEST(CompressMessage, AnyMessageButAnEmptyOne) {
  const Bytes message = Sample(51200);
  const Result<Bytes> packed = CompressMessage(message);
  ASSERT_TRUE(packed);
  EXPECT_LT(packed->size(), message.size());
  EXPECT_EQ(DecompressMessage(*packed), message);

  const Result<Bytes> tiny = CompressMessage(AsBytes(std::string_view("x")));
  ASSERT_TRUE(tiny) << "used even when longer than the message";
  EXPECT_GT(tiny->size(), 1u);
  EXPECT_EQ(CompressMessage({}).code(), Z_DATA_ERROR);
}

TEST(DecompressMessage, RefusesOtherData) {
  const Bytes der{0x30, 0x82, 0x01, 0x00, 0x06, 0x09, 0x2A, 0x86, 0x48, 0x86, 0xF7,
                  0x0D, 0x01, 0x07, 0x02, 0xA0, 0x82, 0x00, 0xF1, 0x30, 0x82};
  EXPECT_EQ(DecompressMessage(der).code(), Z_DATA_ERROR);
  const Bytes highlyCompressible(300000, 'a');
  const Result<Bytes> packed = CompressMessage(highlyCompressible);
  ASSERT_TRUE(packed);
  EXPECT_EQ(DecompressMessage(*packed), highlyCompressible)
      << "grows its buffer past twice the member";
}

TEST(GzipMember, ContentPastTwoGigabytesIsRefused) {
  Bytes member = testing::HugeZeroMember();
  std::int32_t size = 0;
  EXPECT_EQ(mem_uncompress(member.data(), static_cast<std::int32_t>(member.size()), nullptr, &size),
            Z_DATA_ERROR);
  EXPECT_EQ(size, 0) << "no size is reported that would have overflowed";
  EXPECT_FALSE(DecompressMessage(member));
}

TEST(MessageInflation, TheLimitIsTheLargerOfASizeAndARatio) {
  EXPECT_EQ(MessageInflationLimit(1000), kMaxMessageInflation);
  const std::size_t ratioTakesOver = kMaxMessageInflation / kMaxMessageRatio;
  EXPECT_EQ(MessageInflationLimit(ratioTakesOver), kMaxMessageInflation);
  EXPECT_EQ(MessageInflationLimit(ratioTakesOver + 1), (ratioTakesOver + 1) * kMaxMessageRatio);
  EXPECT_EQ(MessageInflationLimit(std::size_t{1} << 30), std::size_t{0x7FFFFFFF})
      << "never past 2^31-1";
}

TEST(MessageInflation, MembersAtTheEdgesOfTheLimit) {
  // Just under: exactly 256 MiB from a small member inflates, in one allocation.
  Bytes atLimit = testing::ZeroMember(kMaxMessageInflation);
  const std::size_t memberSize = atLimit.size();
  Result<Bytes> inflated = Failure(Z_DATA_ERROR, "not yet");
  const long peak = testing::PeakGrowthBytes([&] { inflated = DecompressMessage(atLimit); });
  ASSERT_TRUE(inflated);
  EXPECT_EQ(inflated->size(), kMaxMessageInflation);
  if (testing::kPeaksMeasurable) {
    EXPECT_LT(peak, static_cast<long>(kMaxMessageInflation + (16 << 20)));
  }
  atLimit = {};
  inflated = Failure(Z_DATA_ERROR, "released");

  // Just over the size, and just over the ratio of a member made longer by its name
  // field: refused before the output takes memory.
  const std::size_t longMember = kMaxMessageInflation / kMaxMessageRatio + 4096;
  for (const Bytes& bomb : {testing::ZeroMember(kMaxMessageInflation + 1),
                            testing::ZeroMember(longMember * kMaxMessageRatio + 1, longMember)}) {
    ASSERT_TRUE(bomb.size() == longMember || bomb.size() < memberSize * 2);
    const long bombPeak = testing::PeakGrowthBytes([&] { EXPECT_FALSE(DecompressMessage(bomb)); });
    if (testing::kPeaksMeasurable) {
      EXPECT_LT(bombPeak, 8 << 20) << "refused with a small peak";
    }
  }

  // A trailer that understates the size stops the output as soon as it passes it.
  Bytes lying = testing::ZeroMember(std::size_t{64} << 20, 0, 1 << 20);
  const long lyingPeak = testing::PeakGrowthBytes([&] { EXPECT_FALSE(DecompressMessage(lying)); });
  if (testing::kPeaksMeasurable) {
    EXPECT_LT(lyingPeak, 8 << 20);
  }
}

TEST(GzipInterop, GzipCommandRestoresOurMembers) {
  TempDir dir;
  {
    // A negative length makes the member of an empty content.
    std::uint8_t empty[20];
    std::int32_t size = sizeof empty;
    ASSERT_EQ(mem_compress(empty, -1, empty, &size), Z_OK);
    WriteFile(dir / "empty.gz", Bytes(empty, empty + size));
    ASSERT_EQ(
        std::system(
            ("gzip -d -c " + (dir / "empty.gz").string() + " > " + (dir / "out").string()).c_str()),
        0);
    EXPECT_EQ(ReadFile(dir / "out").size(), 0u);
  }
  for (std::size_t size : {1u, 2u, 100u, 16383u, 16384u, 16385u, 32768u, 65537u, 1048576u}) {
    const Bytes source = Sample(size, static_cast<std::uint32_t>(size));
    WriteFile(dir / "m.gz", Pack(source));
    ASSERT_EQ(
        std::system(
            ("gzip -d -c " + (dir / "m.gz").string() + " > " + (dir / "out").string()).c_str()),
        0)
        << size;
    EXPECT_EQ(ReadFile(dir / "out"), source) << size;
  }
}

TEST(GzipInterop, WeReadWhatGzipWrites) {
  TempDir dir;
  const Bytes source = Sample(200000, 3);
  WriteFile(dir / "data.bin", source);
  for (const char* options : {"-c", "-c -n", "-c -9", "-c -1"}) {
    ASSERT_EQ(std::system(("gzip " + std::string(options) + " " + (dir / "data.bin").string() +
                           " > " + (dir / "data.gz").string())
                              .c_str()),
              0);
    const Bytes member = ReadFile(dir / "data.gz");
    EXPECT_EQ(Unpack(member), source) << options;
  }
  const Bytes named = ReadFile(dir / "data.gz");
  EXPECT_TRUE(named[3] & 0x08) << "gzip -c keeps the file name";
}

}  // namespace
}  // namespace velsor::formats

namespace velsor::formats {
namespace {

// A member handed over in pieces of the given sizes, in turn, then an empty one.
std::function<ByteView()> Pieces(const Bytes& member, std::vector<std::size_t> sizes) {
  return [&member, sizes, at = std::size_t{0}, turn = std::size_t{0}]() mutable {
    const std::size_t size = std::min(sizes[turn++ % sizes.size()], member.size() - at);
    const ByteView piece = ByteView(member).subspan(at, size);
    at += size;
    return piece;
  };
}

MemberOutline OutlineOf(const Bytes& member) {
  MemberOutline outline;
  outline.size = member.size();
  std::copy_n(member.begin(), outline.head.size(), outline.head.begin());
  std::copy(member.end() - 8, member.end(), outline.trailer.begin());
  return outline;
}

Result<Bytes> InflatedInPieces(const Bytes& member, std::vector<std::size_t> sizes) {
  return InflateMemberPieces(OutlineOf(member), Pieces(member, std::move(sizes)));
}

TEST(MemberPieces, AnyCutOfTheMemberInflatesToTheSameContent) {
  const Bytes source = Sample(70000, 3);
  const Bytes member = Pack(source);
  for (const auto& sizes : std::vector<std::vector<std::size_t>>{
           {1}, {3, 7}, {10, 16384}, {9, 2}, {16384}, {member.size()}}) {
    EXPECT_EQ(InflatedInPieces(member, sizes), source) << sizes.front();
  }
}

TEST(MemberPieces, RefusesWhatTheWholeMemberPathWouldRefuse) {
  const Bytes member = Pack(Sample(5000));
  Bytes badCrc = member;
  badCrc[badCrc.size() - 6] ^= 1;
  EXPECT_FALSE(InflatedInPieces(badCrc, {100}));
  Bytes shortClaim = member;
  shortClaim[shortClaim.size() - 4] -= 1;  // the output overruns the trailer's size
  EXPECT_FALSE(InflatedInPieces(shortClaim, {100}));
  Bytes longClaim = member;
  longClaim[longClaim.size() - 4] += 1;
  EXPECT_FALSE(InflatedInPieces(longClaim, {100}));
  Bytes trailing = member;
  trailing.push_back(0);
  std::copy(member.end() - 8, member.end(), trailing.end() - 8);
  EXPECT_FALSE(InflatedInPieces(trailing, {100})) << "exactly the trailer follows the data";
  const Bytes cut(member.begin(), member.end() - 20);
  MemberOutline outline = OutlineOf(member);
  outline.size = cut.size();
  EXPECT_FALSE(InflateMemberPieces(outline, Pieces(cut, {64})));

  // Only the plain header; members with optional fields go the whole-member way.
  Bytes named = member;
  named[3] = 0x08;
  EXPECT_FALSE(InflatedInPieces(named, {100}));
  Bytes bomb = member;
  bomb[bomb.size() - 1] = 0x7F;
  EXPECT_FALSE(InflatedInPieces(bomb, {100}));
}

}  // namespace
}  // namespace velsor::formats
