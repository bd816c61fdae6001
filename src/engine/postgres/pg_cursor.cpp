// Rows read through a server-side cursor, a batch at a time: the connection
// stays free for other statements between batches (a copy reads one table
// while it writes another), and no more than two batches are ever held. The
// next batch is asked for when one is taken, so that the server makes it
// while the caller works through this one.
#include <fmt/format.h>

#include <algorithm>

#include "engine/failure.h"
#include "engine/postgres/pg_connection_impl.h"
#include "engine/sql_words.h"

namespace quillon::engine::postgres {
namespace {

// The first batch is small, for the many queries that want a row or a few;
// each next one is twice the last while the last held less than what the
// connection's socket holds (so that the server can send the whole batch
// asked ahead while the caller still reads), so that a long read costs few
// round trips and a batch of wide rows stays small.
constexpr int kFirstBatch = 256;
constexpr int kLargestBatch = 16384;
constexpr std::size_t kGrowBelowBytes = 64 << 10;

bool isStar(std::string_view item) {
  return item == "*" || (item.size() > 2 && item.substr(item.size() - 2) == ".*");
}

class PgCursor final : public Cursor {
 public:
  PgCursor(std::shared_ptr<PgConnection> connection, std::string original, std::string numbered,
           const QueryShape& shape, std::vector<Value> params, bool changeable)
      : connection_(std::move(connection)),
        original_(std::move(original)),
        numbered_(std::move(numbered)),
        params_(std::move(params)),
        changeable_(changeable) {
    describedAs(shape);
  }

  ~PgCursor() override { close(); }

  bool first() override {
    connection_->againIfLost([&] { declare(); });
    // A table changed since the text was described (its columns added,
    // dropped or retyped): described again, and the rows read again with
    // the new description's locator.
    if (!matchesBatch()) {
      close();
      describedAs(connection_->freshShape(original_, numbered_));
      declare();
    }
    askAhead();
    return row_ < rows_;
  }

  bool next() override {
    if (++row_ < rows_) return true;
    if (rows_ < asked_) return false;
    fetch();
    return row_ < rows_;
  }

  const std::vector<Column>& columns() const override { return shape_.columns; }
  Value value(int column) const override { return fieldValue(batch_.get(), row_, column); }
  void readRow(std::span<Value> out) const override {
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = fieldValue(batch_.get(), row_, static_cast<int>(i));
  }
  const std::string& changeableTable() const override { return located_ ? shape_.table : kNone; }
  Value locator() const override {
    return fieldValue(batch_.get(), row_, static_cast<int>(shape_.columns.size()));
  }

 private:
  void describedAs(const QueryShape& shape) {
    shape_ = shape;
    located_ = changeable_ && !shape_.table.empty() && rowLocatorInsertPoint(numbered_) != std::string::npos;
  }

  bool matchesBatch() const {
    const auto& api = pq();
    const PGresult* r = batch_.get();
    if (api.nfields(r) != static_cast<int>(shape_.described.size()) + (located_ ? 1 : 0)) return false;
    for (std::size_t i = 0; i < shape_.described.size(); ++i) {
      const int field = static_cast<int>(i);
      if (shape_.described[i].first != api.fname(r, field) ||
          shape_.described[i].second != api.ftype(r, field))
        return false;
    }
    return true;
  }

  void declare() {
    close();
    // Outside a transaction a cursor must outlive the statement's own.
    hold_ = !connection_->inTransaction();
    name_ = connection_->nextCursorName();
    transaction_ = connection_->transaction();
    session_ = connection_->session();
    const std::string declare = fmt::format("DECLARE {} NO SCROLL CURSOR {}FOR {}", name_,
                                            hold_ ? "WITH HOLD " : "", located_ ? withLocator() : numbered_);
    // Declared and read from in one round trip. A query the server refuses,
    // or fails while reading, must not end the caller's transaction.
    asked_ = kFirstBatch;
    connection_->undoneOnFailure(
        [&] { batch_ = connection_->declareAndFetch(declare, TextParams(params_), fetchText(asked_)); });
    open_ = true;
    rows_ = pq().ntuples(batch_.get());
    row_ = 0;
  }

  // The statement with the row's ctid after the caller's columns, when the
  // text leaves a place for it; the statement as it is otherwise.
  std::string withLocator() const {
    const std::size_t from = rowLocatorInsertPoint(numbered_);
    return numbered_.substr(0, from) + ", ctid " + numbered_.substr(from);
  }

  std::string fetchText(int rows) const { return fmt::format("FETCH {} FROM {}", rows, name_); }

  // The batch asked ahead; asked now when another cursor's was waiting.
  void fetch() {
    Result ahead = connection_->takeAhead(this);
    if (ahead) {
      batch_ = std::move(ahead);
      asked_ = askedAhead_;
    } else {
      asked_ = nextSize();
      batch_ = connection_->run(fetchText(asked_));
    }
    rows_ = pq().ntuples(batch_.get());
    row_ = 0;
    askAhead();
  }

  int nextSize() const { return bytes() < kGrowBelowBytes ? std::min(asked_ * 2, kLargestBatch) : asked_; }

  // A full batch may have more behind it.
  void askAhead() {
    if (rows_ < asked_) return;
    askedAhead_ = nextSize();
    connection_->fetchAhead(this, fetchText(askedAhead_));
  }

  std::size_t bytes() const {
    std::size_t total = 0;
    const int columns = pq().nfields(batch_.get());
    for (int r = 0; r < rows_; ++r)
      for (int c = 0; c < columns; ++c) total += static_cast<std::size_t>(pq().getlength(batch_.get(), r, c));
    return total;
  }

  void close() noexcept {
    if (!open_) return;
    open_ = false;
    batch_.reset();
    connection_->dropAhead(this);
    // A transaction that failed or ended took its cursors with it.
    const bool alive = pq().transactionStatus(connection_->handle()) != PQTRANS_INERROR &&
                       connection_->session() == session_;
    // Closed with whatever the connection sends next.
    if (alive && (hold_ || (connection_->transaction() == transaction_ && connection_->inTransaction())))
      connection_->deferClose(name_);
  }

  inline static const std::string kNone;
  std::shared_ptr<PgConnection> connection_;
  std::string original_;
  std::string numbered_;
  QueryShape shape_;
  std::vector<Value> params_;
  bool changeable_;
  bool located_ = false;
  bool hold_ = false;
  bool open_ = false;
  std::uint64_t transaction_ = 0;
  std::uint64_t session_ = 0;
  std::string name_;
  Result batch_;
  int rows_ = 0;
  int row_ = 0;
  int asked_ = 0;       // rows the batch in hand was asked for
  int askedAhead_ = 0;  // rows the batch asked ahead was asked for
};

}  // namespace

std::unique_ptr<Cursor> PgConnection::query(std::string_view sql, std::span<const Value> params,
                                            bool changeable) {
  int count = 0;
  std::string numbered = numberedParameters(sql, count);
  if (afterLeadingWord(sql, "select") == std::string_view::npos &&
      afterLeadingWord(sql, "with") == std::string_view::npos)
    throw EngineError(Failure::Syntax, 0, "the text is not a query that returns rows");
  std::string original(sql);
  const QueryShape* described = nullptr;
  againIfLost([&] { described = &shapeOf(original, numbered); });
  const QueryShape& shape = *described;
  return std::make_unique<PgCursor>(shared_from_this(), std::move(original), std::move(numbered), shape,
                                    std::vector<Value>(params.begin(), params.end()), changeable);
}

const QueryShape& PgConnection::shapeOf(const std::string& original, const std::string& numbered) {
  if (const auto found = shapes_.find(numbered); found != shapes_.end()) return found->second;
  const auto& api = pq();
  // The unnamed statement: described, never kept by the server. A text the
  // server refuses must not end the caller's transaction.
  Result described;
  undoneOnFailure([&] { described = describe(numbered); });
  const PGresult* r = described.get();
  QueryShape shape;
  const int fields = api.nfields(r);
  const auto items = selectListItems(original);
  const bool byItems =
      static_cast<int>(items.size()) == fields && std::none_of(items.begin(), items.end(), isStar);
  Oid table = InvalidOid;
  bool single = fields > 0;
  for (int i = 0; i < fields; ++i) {
    Column& c = shape.columns.emplace_back();
    shape.described.emplace_back(api.fname(r, i), api.ftype(r, i));
    const Oid from = api.ftable(r, i);
    c.name = byItems ? itemName(items[static_cast<std::size_t>(i)]) : spelled(api.fname(r, i));
    if (from != InvalidOid) {
      c.type = typeCode(api.ftype(r, i));
      c.table = tableOf(from);
      c.origin = spelled(api.fname(r, i));
    }
    if (from == InvalidOid || (table != InvalidOid && from != table)) single = false;
    table = from;
  }
  if (single) shape.table = tableOf(table);
  return shapes_.emplace(numbered, std::move(shape)).first->second;
}

}  // namespace quillon::engine::postgres
