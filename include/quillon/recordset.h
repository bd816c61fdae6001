#pragma once
// An updatable cursor over the rows of a SELECT. Rows are read only when the
// cursor moves, so opening a set over a large table costs one step.
#include <memory>
#include <string>
#include <string_view>

#include "quillon/value.h"

#include "quillon/export.h"

namespace quillon {

namespace engine {
struct RecordsetImplFactory;
}

// Engine type codes reported by Recordset::fieldType.
namespace field_type {
inline constexpr int kBoolean = 1;
inline constexpr int kByte = 2;
inline constexpr int kInteger16 = 3;
inline constexpr int kLong = 4;  ///< 32-bit integer
inline constexpr int kCurrency = 5;
inline constexpr int kSingle = 6;
inline constexpr int kDouble = 7;
inline constexpr int kDate = 8;
inline constexpr int kText = 10;
inline constexpr int kBinary = 11;
inline constexpr int kMemo = 12;
inline constexpr int kBigInt = 16;
}  // namespace field_type

/// An updatable cursor over the rows of a SELECT. It holds the connection it
/// was opened on, so it may outlive the DBFunc that opened it (the database
/// then stays in this process's exclusive use until the set is closed too);
/// use it on that object's thread only. Failures throw quillon::Error.
class QUILLON_API Recordset {
 public:
  Recordset();  ///< closed; every operation but isOpen() and close() fails
  Recordset(Recordset&&) noexcept;
  Recordset& operator=(Recordset&&) noexcept;
  ~Recordset();

  bool isOpen() const;
  bool atEnd() const;  ///< no current row: empty result, or moved past the last
  void moveFirst();
  void moveNext();

  int fieldCount() const;
  std::string fieldName(int position) const;    ///< as written in the SELECT list
  int fieldType(int position) const;            ///< a field_type code
  int fieldIndex(std::string_view name) const;  ///< any case; throws when absent

  /// The current row's value, or the pending value while a row is being built
  /// or changed.
  const Value& value(int position) const;
  const Value& value(std::string_view name) const { return value(fieldIndex(name)); }

  void addNew();  ///< start building a new row
  void edit();    ///< open the current row for change
  void setValue(int position, Value v);
  void setValue(std::string_view name, Value v) { setValue(fieldIndex(name), std::move(v)); }
  void update();         ///< store the row being built or changed
  void deleteCurrent();  ///< delete the current row at once
  void close();

 private:
  struct Impl;
  friend struct engine::RecordsetImplFactory;
  explicit Recordset(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace quillon
