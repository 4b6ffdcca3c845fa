// Uncompressing arbitrary bytes: bounded work, exact sizes, no overrun of the caller's
// buffer whatever its capacity. A member handed over in pieces inflates to the same bytes
// where the piecewise way takes it, and is refused where the whole-member way refuses it.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>

#include "formats/gzip_member.h"

namespace {

void CheckPieces(velsor::ByteView member, bool inflates, std::size_t needed) {
  using namespace velsor::formats;
  if (member.size() < 18) return;
  MemberOutline outline;
  outline.size = member.size();
  std::copy_n(member.begin(), outline.head.size(), outline.head.begin());
  std::copy(member.end() - 8, member.end(), outline.trailer.begin());
  std::size_t at = 0;
  const std::function<velsor::ByteView()> pieces = [&] {
    const velsor::ByteView piece = member.subspan(at, std::min<std::size_t>(5, member.size() - at));
    at += piece.size();
    return piece;
  };
  const auto inflated = InflateMemberPieces(outline, pieces);
  if (!inflated) {
    // The whole-member way takes what the pieces refuse only for optional header fields,
    // a trailer whose size is false, or a size past the limit.
    const auto* trailer = member.data() + member.size() - 4;
    const std::size_t claimed =
        trailer[0] | (trailer[1] << 8) | (trailer[2] << 16) | (std::size_t{trailer[3]} << 24);
    if (inflates && member[3] == 0 && needed == claimed &&
        claimed <= MessageInflationLimit(member.size())) {
      std::abort();
    }
    return;
  }
  if (!inflates || needed != inflated->size()) std::abort();
  velsor::Bytes whole(inflated->size());
  GzipUncompress(member, whole);
  if (whole != *inflated) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velsor::formats;
  if (size > 1 << 20) return 0;
  const velsor::ByteView member(data, size);
  const auto sized = GzipUncompress(member, {});
  // Nothing to inflate fits a buffer of none.
  CheckPieces(member, sized.code() == 0, sized ? sized->size : 0);
  if (!sized || sized->fits) return 0;
  // Too small by one, then exact: the second call must fit with the same size.
  const std::size_t needed = sized->size;
  velsor::Bytes out(needed + 1);
  const auto tooSmall = GzipUncompress(member, std::span(out).first(needed - 1));
  if (!tooSmall || tooSmall->fits || tooSmall->size != needed) std::abort();
  const auto exact = GzipUncompress(member, std::span(out).first(needed));
  if (!exact || !exact->fits || exact->size != needed) std::abort();
  return 0;
}
