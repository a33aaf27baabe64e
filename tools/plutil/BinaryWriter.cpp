#include "plutil/BinaryWriter.h"

#include "plutil/ValueText.h"

#include <algorithm>
#include <vector>

namespace plutil {

namespace {

void PutBigEndian(std::string& out, std::uint64_t value, unsigned size) {
  for (unsigned i = size; i-- > 0;) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Bytes needed for values up to and including max: 1, 2, 4 or 8.
unsigned SizeFor(std::uint64_t max) {
  if (max <= 0xFF) return 1;
  if (max <= 0xFFFF) return 2;
  if (max <= 0xFFFFFFFF) return 4;
  return 8;
}

unsigned Log2(unsigned size) { return size == 1 ? 0 : size == 2 ? 1 : size == 4 ? 2 : 3; }

class Writer {
 public:
  explicit Writer(const Tree& tree) : tree_(tree) {}

  std::string Run() {
    Number();
    refSize_ = SizeFor(order_.size());
    out_ = "bplist00";
    std::vector<std::uint64_t> offsets;
    offsets.reserve(order_.size());
    for (NodeId id : order_) {
      offsets.push_back(out_.size());
      Object(tree_[id]);
    }
    std::uint64_t table = out_.size();
    unsigned offsetSize = SizeFor(table);
    for (std::uint64_t offset : offsets) PutBigEndian(out_, offset, offsetSize);
    out_.append(6, '\0');
    out_.push_back(static_cast<char>(offsetSize));
    out_.push_back(static_cast<char>(refSize_));
    PutBigEndian(out_, order_.size(), 8);
    PutBigEndian(out_, 0, 8);  // the root is object 0
    PutBigEndian(out_, table, 8);
    return std::move(out_);
  }

 private:
  static constexpr std::uint32_t kUnnumbered = UINT32_MAX;

  // Object numbers for the nodes that the root reaches, the root first.
  // Items have smaller indices than their containers, so going down from
  // the root meets every container before its items.
  void Number() {
    number_.assign(tree_.size(), kUnnumbered);
    number_[tree_.root] = 0;
    for (std::size_t id = tree_.root + 1; id-- > 0;) {
      if (number_[id] == kUnnumbered) continue;
      order_.push_back(static_cast<NodeId>(id));
      for (NodeId item : tree_.Items(tree_[static_cast<NodeId>(id)]))
        if (number_[item] == kUnnumbered) number_[item] = 1;  // reached; numbered in order below
    }
    for (std::size_t i = 0; i < order_.size(); ++i)
      number_[order_[i]] = static_cast<std::uint32_t>(i);
  }

  void Marker(unsigned kind, std::uint64_t count) {
    if (count < 15) {
      out_.push_back(static_cast<char>(kind << 4 | count));
      return;
    }
    out_.push_back(static_cast<char>(kind << 4 | 0xF));
    unsigned size = SizeFor(count);
    out_.push_back(static_cast<char>(0x10 | Log2(size)));
    PutBigEndian(out_, count, size);
  }

  void Integer(const Node& node) {
    if (node.flag) {
      out_.push_back('\x13');
      PutBigEndian(out_, node.word, 8);
    } else if (node.word >> 63) {
      out_.push_back('\x14');
      PutBigEndian(out_, 0, 8);
      PutBigEndian(out_, node.word, 8);
    } else {
      unsigned size = SizeFor(node.word);
      out_.push_back(static_cast<char>(0x10 | Log2(size)));
      PutBigEndian(out_, node.word, size);
    }
  }

  void String(std::string_view text) {
    bool ascii = std::all_of(text.begin(), text.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
      Marker(0x5, text.size());
      out_.append(text);
      return;
    }
    units_.clear();
    std::size_t count = AppendUtf8AsUtf16(text, units_);
    Marker(0x6, count);
    out_.append(units_);
  }

  void Object(const Node& node) {
    switch (node.kind) {
      case Kind::Boolean:
        out_.push_back(node.flag ? '\x09' : '\x08');
        break;
      case Kind::Integer:
        Integer(node);
        break;
      case Kind::Real:
        out_.push_back('\x23');
        PutBigEndian(out_, node.word, 8);
        break;
      case Kind::Date:
        out_.push_back('\x33');
        PutBigEndian(out_, node.word, 8);
        break;
      case Kind::Data:
        Marker(0x4, node.size);
        out_.append(tree_.Text(node));
        break;
      case Kind::String:
        String(tree_.Text(node));
        break;
      case Kind::Uid: {
        unsigned size = SizeFor(node.word);
        out_.push_back(static_cast<char>(0x80 | (size - 1)));
        PutBigEndian(out_, node.word, size);
        break;
      }
      case Kind::Array:
        Marker(0xA, node.size);
        for (NodeId item : tree_.Items(node)) PutBigEndian(out_, number_[item], refSize_);
        break;
      case Kind::Dict: {
        std::span<const NodeId> items = tree_.Items(node);
        Marker(0xD, items.size() / 2);
        for (std::size_t i = 0; i < items.size(); i += 2)
          PutBigEndian(out_, number_[items[i]], refSize_);
        for (std::size_t i = 1; i < items.size(); i += 2)
          PutBigEndian(out_, number_[items[i]], refSize_);
        break;
      }
    }
  }

  const Tree& tree_;
  std::vector<std::uint32_t> number_;
  std::vector<NodeId> order_;
  unsigned refSize_ = 1;
  std::string out_;
  std::string units_;
};

}  // namespace

std::string WriteBinary(const Tree& tree) { return Writer(tree).Run(); }

}  // namespace plutil
