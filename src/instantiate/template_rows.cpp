#include "instantiate/template_rows.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "db/tables.h"
#include "engine/recordset_impl.h"
#include "quillon/recordset.h"

namespace quillon::instantiate {
namespace {

// More than this many bytes of values and the walk asks the database: a
// template that large is copied without holding it.
constexpr std::size_t kMostHeld = std::size_t{64} << 20;
constexpr std::size_t kBlock = std::size_t{64} << 10;

constexpr int kSelected = kProjectType + 1;  // then STS='V', then whether it is a top node

// A whole number that fits, or nothing.
std::optional<std::int32_t> whole(const Value& v) {
  if (v.kind() != Value::Kind::Integer) return std::nullopt;
  const std::int64_t n = v.integer();
  if (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(n);
}

bool truth(const Value& v) { return v.kind() == Value::Kind::Integer && v.integer() != 0; }

// The columns held for each row; the rest are the row's shape (its number,
// layer and parent, known to be whole numbers) and the template's own number.
constexpr std::array<int, 7> kHeld{kNodeName, kSts,       kTypeId,     kResourceTypeId,
                                   kBookmark, kNodeOrder, kProjectType};

// Values packed one after another, a kind byte then as few bytes as hold
// them: most are small numbers and short texts.
enum Tag : char { kNull, kInt8, kInt32, kInt64, kReal, kShortText, kText };

template <class T>
void putRaw(std::string& out, T v) {
  char bytes[sizeof v];
  std::memcpy(bytes, &v, sizeof v);
  out.append(bytes, sizeof v);
}

template <class T>
T getRaw(const char*& at) {
  T v;
  std::memcpy(&v, at, sizeof v);
  at += sizeof v;
  return v;
}

void pack(std::string& out, const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Integer: {
      const std::int64_t n = v.integer();
      if (n >= std::numeric_limits<std::int8_t>::min() && n <= std::numeric_limits<std::int8_t>::max()) {
        out += kInt8;
        putRaw(out, static_cast<std::int8_t>(n));
      } else if (n >= std::numeric_limits<std::int32_t>::min() &&
                 n <= std::numeric_limits<std::int32_t>::max()) {
        out += kInt32;
        putRaw(out, static_cast<std::int32_t>(n));
      } else {
        out += kInt64;
        putRaw(out, n);
      }
      return;
    }
    case Value::Kind::Real:
      out += kReal;
      putRaw(out, v.real());
      return;
    case Value::Kind::Text:
      if (v.text().size() <= std::numeric_limits<std::uint8_t>::max()) {
        out += kShortText;
        putRaw(out, static_cast<std::uint8_t>(v.text().size()));
      } else {
        out += kText;
        putRaw(out, static_cast<std::uint32_t>(v.text().size()));
      }
      out += v.text();
      return;
    default:
      out += kNull;
  }
}

Value unpack(const char*& at) {
  const auto text = [&](std::size_t size) {
    std::string t(at, size);
    at += size;
    return Value(std::move(t));
  };
  switch (*at++) {
    case kInt8:
      return Value(static_cast<std::int64_t>(getRaw<std::int8_t>(at)));
    case kInt32:
      return Value(static_cast<std::int64_t>(getRaw<std::int32_t>(at)));
    case kInt64:
      return Value(getRaw<std::int64_t>(at));
    case kReal:
      return Value(getRaw<double>(at));
    case kShortText:
      return text(getRaw<std::uint8_t>(at));
    case kText:
      return text(getRaw<std::uint32_t>(at));
    default:
      return Value::null();
  }
}

}  // namespace

std::optional<TemplateRows> TemplateRows::load(Session& session, std::int32_t resource) {
  static const std::string sql = fmt::format(
      "select {}, STS='V', LAYER_ID=2 and TYPE_ID=2 from T_RESOURCE_TREE where RESOURCE_ID=? order by "
      "NODE_ID",
      db::columns::kResourceTree);
  const std::array<Value, 1> owner{Value(resource)};
  TemplateRows rows;
  rows.resource_ = resource;
  std::string packed;
  std::size_t held = 0;
  for (Recordset rs = session.database().openRecordset(sql, owner); !rs.atEnd(); rs.moveNext()) {
    const auto row = engine::RecordsetImplFactory::currentRow(rs);
    Shape s;
    const auto id = whole(row[kNodeId]);
    if (!id) return std::nullopt;
    s.id = *id;
    s.parentSet = !row[kParent].isNull();
    s.layerSet = !row[kLayerId].isNull();
    if (s.parentSet) {
      const auto parent = whole(row[kParent]);
      if (!parent) return std::nullopt;
      s.parent = *parent;
    }
    if (s.layerSet) {
      const auto layer = whole(row[kLayerId]);
      if (!layer) return std::nullopt;
      s.layer = *layer;
    }
    s.live = truth(row[kSelected]);
    packed.clear();
    for (const int column : kHeld) pack(packed, row[static_cast<std::size_t>(column)]);
    held += packed.size();
    if (held > kMostHeld) return std::nullopt;
    if (rows.blocks_.empty() || rows.blocks_.back().size() + packed.size() > rows.blocks_.back().capacity()) {
      rows.blocks_.emplace_back();
      rows.blocks_.back().reserve(std::max(kBlock, packed.size()));
    }
    s.block = static_cast<std::uint32_t>(rows.blocks_.size() - 1);
    s.offset = static_cast<std::uint32_t>(rows.blocks_.back().size());
    rows.blocks_.back() += packed;
    if (truth(row[kSelected + 1])) rows.tops_.push_back(static_cast<std::int32_t>(rows.shapes_.size()));
    rows.shapes_.push_back(s);
  }
  if (rows.shapes_.empty()) return rows;

  // No row of another template may hang under one of these nodes: every row
  // whose parent lies in the range of their numbers must be one of them.
  const std::int32_t low = rows.shapes_.front().id, high = rows.shapes_.back().id;
  const auto own = std::count_if(rows.shapes_.begin(), rows.shapes_.end(), [&](const Shape& s) {
    return s.parentSet && s.parent >= low && s.parent <= high;
  });
  const std::array<Value, 2> range{Value(low), Value(high)};
  Recordset count = session.database().openRecordset(
      "select count(*) from T_RESOURCE_TREE where PARENT_NOED_ID between ? and ?", range);
  if (count.atEnd() || count.value(0).kind() != Value::Kind::Integer || count.value(0).integer() != own)
    return std::nullopt;

  for (std::size_t i = 0; i < rows.shapes_.size(); ++i)
    if (rows.shapes_[i].placed()) rows.byParent_.push_back(static_cast<std::int32_t>(i));
  const auto& shapes = rows.shapes_;
  std::sort(rows.byParent_.begin(), rows.byParent_.end(), [&](std::int32_t a, std::int32_t b) {
    const Shape& x = shapes[static_cast<std::size_t>(a)];
    const Shape& y = shapes[static_cast<std::size_t>(b)];
    if (x.parent != y.parent) return x.parent < y.parent;
    if (x.layer != y.layer) return x.layer < y.layer;
    return x.id < y.id;
  });
  return rows;
}

std::span<const std::int32_t> TemplateRows::children(std::int32_t node) const {
  const Shape& s = shapes_[static_cast<std::size_t>(node)];
  if (s.layer == std::numeric_limits<std::int32_t>::max()) return {};  // no next layer
  const std::int32_t layer = s.layer + 1;
  const auto below = [&](std::int32_t i, int) {
    const Shape& c = shapes_[static_cast<std::size_t>(i)];
    return c.parent < s.id || (c.parent == s.id && c.layer < layer);
  };
  const auto above = [&](int, std::int32_t i) {
    const Shape& c = shapes_[static_cast<std::size_t>(i)];
    return c.parent > s.id || (c.parent == s.id && c.layer > layer);
  };
  const auto first = std::lower_bound(byParent_.begin(), byParent_.end(), 0, below);
  const auto last = std::upper_bound(first, byParent_.end(), 0, above);
  return {first, last};
}

bool TemplateRows::hasLiveChild(const Shape& shape) const {
  if (shape.id == 0) return false;
  const auto kids = children(static_cast<std::int32_t>(&shape - shapes_.data()));
  return std::any_of(kids.begin(), kids.end(),
                     [&](std::int32_t i) { return shapes_[static_cast<std::size_t>(i)].live; });
}

void TemplateRows::read(std::int32_t node, TemplateRow& out) const {
  const Shape& s = shapes_[static_cast<std::size_t>(node)];
  const char* at = blocks_[s.block].data() + s.offset;
  for (const int column : kHeld) out[static_cast<std::size_t>(column)] = unpack(at);
  out[kNodeId] = Value(s.id);
  out[kLayerId] = s.layerSet ? Value(s.layer) : Value::null();
  out[kParent] = s.parentSet ? Value(s.parent) : Value::null();
  out[kResourceId] = Value(resource_);
  out[kHasLiveChild] = Value(hasLiveChild(s) ? 1 : 0);
}

}  // namespace quillon::instantiate
