// The one-sweep line parser must judge every line exactly as the separate
// rules do, and give the same bits.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_bytes.h"
#include "io/line_ops.h"

namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool SameValues(const zelvo::PointValues& a, const zelvo::PointValues& b) {
  return SameBits(a.x, b.x) && SameBits(a.y, b.y) && SameBits(a.point, b.point) &&
         SameBits(a.quantity, b.quantity);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zelvo::FuzzBytes bytes(data, size);
  const zelvo::PointColumns columns = bytes.TakeColumns();
  const char separator = bytes.TakeSeparator();
  zelvo::PointLineParser parser(columns, separator);
  std::string prepared;
  std::vector<std::string_view> fields;
  for (std::string_view line : zelvo::LinesOf(bytes.Rest())) {
    zelvo::PointValues swept;
    const bool sweptTaken = parser.Parse(line, swept);
    zelvo::PointValues ruled;
    const bool ruledTaken = zelvo::PrepareDataLine(line, separator, prepared) &&
                            zelvo::ParsePointLine(prepared, columns, separator, fields, ruled);
    if (sweptTaken != ruledTaken || (sweptTaken && !SameValues(swept, ruled))) std::abort();
  }
  return 0;
}
