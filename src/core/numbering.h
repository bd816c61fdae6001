#pragma once
// Numbers for new rows. A new row is numbered one above the largest number
// its column holds, as every document and template always has been; the
// number is only ours while the caller holds the write transaction (the
// file's lock, a server's installation lock), which is why every place that
// numbers rows asks here and nowhere else.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

namespace quillon {

struct Session;

namespace numbering {

struct ColumnRef {
  std::string_view table;
  std::string_view column;
};

// The largest number held over the given columns; none when all are empty.
std::optional<std::int64_t> largest(Session& session, std::span<const ColumnRef> columns);
inline std::optional<std::int64_t> largest(Session& session, ColumnRef column) {
  return largest(session, std::span<const ColumnRef>(&column, 1));
}

// One above the column's largest number, 1 when it holds none. Throws
// quillon::Error "Overflow" past the 32-bit range.
std::int32_t next(Session& session, ColumnRef column);

// Numbers one after another for rows written in one transaction: the first
// comes from `ask` (next(), or a caller's reporting wrapper of it), the rest
// count on from it without asking again, as nothing else numbers the column
// before the transaction ends. A number below 1 from `ask` is passed on and
// asked for again next time.
class Sequence {
 public:
  explicit Sequence(std::function<std::int32_t()> ask) : ask_(std::move(ask)) {}
  std::int32_t next();

 private:
  std::function<std::int32_t()> ask_;
  std::int32_t last_ = 0;
};

}  // namespace numbering
}  // namespace quillon
