#include "plutil/BinaryReader.h"

#include "plutil/Limits.h"
#include "plutil/Reader.h"
#include "plutil/ValueText.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <memory>
#include <new>
#include <unordered_set>
#include <vector>

namespace plutil {

namespace {

constexpr std::size_t kTrailerSize = 32;
constexpr std::size_t kHeaderSize = 8;

std::string Bad(std::string_view reason) {
  return "not a valid binary property list (" + std::string(reason) + ")";
}
const std::string kBad = "not a valid binary property list";
constexpr std::string_view kOverlap = "objects overlap and stand for more than the file may hold";

struct Trailer {
  unsigned offsetSize = 0;
  unsigned refSize = 0;
  std::uint64_t objectCount = 0;
  std::uint64_t topObject = 0;
  std::uint64_t tableOffset = 0;
};

std::uint64_t ReadBigEndian(std::string_view bytes, std::size_t at, unsigned size) {
  std::uint64_t value = 0;
  for (unsigned i = 0; i < size; ++i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::optional<std::string> ReadTrailer(std::string_view bytes, Trailer& t) {
  if (bytes.size() < kHeaderSize + kTrailerSize) return Bad("file too short");
  std::size_t at = bytes.size() - kTrailerSize;
  t.offsetSize = static_cast<unsigned char>(bytes[at + 6]);
  t.refSize = static_cast<unsigned char>(bytes[at + 7]);
  t.objectCount = ReadBigEndian(bytes, at + 8, 8);
  t.topObject = ReadBigEndian(bytes, at + 16, 8);
  t.tableOffset = ReadBigEndian(bytes, at + 24, 8);
  if (t.offsetSize < 1 || t.offsetSize > 8 || t.refSize < 1 || t.refSize > 8)
    return Bad("bad trailer");
  std::uint64_t tableRoom = bytes.size() - kTrailerSize;
  if (t.objectCount == 0 || t.topObject >= t.objectCount || t.tableOffset < kHeaderSize ||
      t.tableOffset > tableRoom || t.objectCount > (tableRoom - t.tableOffset) / t.offsetSize)
    return Bad("bad trailer");
  if (!bytes.starts_with("bplist00")) return Bad("unknown version");
  return std::nullopt;
}

// An object's marker kind (high nibble), its count (of bytes, characters or
// entries, or the low nibble) and where its contents start.
struct Header {
  unsigned kind = 0;
  std::uint64_t count = 0;
  std::size_t at = 0;
};

constexpr unsigned kSimple = 0x0, kInteger = 0x1, kReal = 0x2, kDate = 0x3, kData = 0x4,
                   kAscii = 0x5, kUtf16 = 0x6, kUid = 0x8, kArray = 0xA, kSet = 0xC, kDict = 0xD;

// Zeroed slots, one for each byte between the header and the offset table:
// the system hands out zeroed pages on first use, so only the slots of
// objects read take memory (a large data object costs nothing here).
struct FreeSlots {
  void operator()(NodeId* slots) const noexcept { std::free(slots); }
};
using Slots = std::unique_ptr<NodeId[], FreeSlots>;

Slots ZeroedSlots(std::size_t count) {
  auto* slots = static_cast<NodeId*>(std::calloc(std::max<std::size_t>(count, 1), sizeof(NodeId)));
  if (!slots) throw std::bad_alloc();
  return Slots(slots);
}

class BinaryReader {
 public:
  BinaryReader(std::string_view bytes, Tree& tree) : bytes_(bytes), tree_(tree) {}

  std::optional<std::string> Run() {
    if (auto error = ReadTrailer(bytes_, t_)) return error;
    nodeAt_ = ZeroedSlots(static_cast<std::size_t>(t_.tableOffset - kHeaderSize));
    content_ = MaxBinaryContent(bytes_.size());
    if (auto error = Visit(t_.topObject)) return error;
    while (!stack_.empty()) {
      if (auto error = Step()) return error;
    }
    tree_.root = pending_.back();
    return std::nullopt;
  }

 private:
  // What nodeAt_ holds for each offset: 0 before the object there is read,
  // kOpen while it is a container being read, then its node plus kFirst.
  static constexpr NodeId kOpen = 1;
  static constexpr NodeId kFirst = 2;

  // A container being read: the references it holds and the next to follow.
  struct Walk {
    std::uint64_t offset;
    bool dict;
    std::size_t refs;         // where its references start
    std::uint64_t count;      // references (keys and values for a dict)
    std::uint64_t next = 0;   // index of the next reference to follow
    std::size_t pending = 0;  // where its items start in pending_
  };

  std::uint64_t Offset(std::uint64_t object) const {
    return ReadBigEndian(bytes_, static_cast<std::size_t>(t_.tableOffset + object * t_.offsetSize),
                         t_.offsetSize);
  }

  // REQUIRES: offset lies between the header and the offset table.
  std::optional<std::string> ReadHeader(std::uint64_t offset, Header& h) const {
    auto marker = static_cast<unsigned char>(bytes_[offset]);
    h = {static_cast<unsigned>(marker >> 4), marker & 0x0Fu, static_cast<std::size_t>(offset) + 1};
    bool counted = h.kind == kData || h.kind == kAscii || h.kind == kUtf16 || h.kind == kArray ||
                   h.kind == kSet || h.kind == kDict;
    if (!counted || h.count != 0x0F) return std::nullopt;
    if (h.at >= t_.tableOffset) return Bad("object out of range");
    auto intMarker = static_cast<unsigned char>(bytes_[h.at]);
    unsigned size = 1u << (intMarker & 0x0F);
    if ((intMarker >> 4) != 0x1 || size > 8 || h.at + 1 + size > t_.tableOffset)
      return Bad("bad container size");
    h.count = ReadBigEndian(bytes_, h.at + 1, size);
    h.at += 1 + size;
    return std::nullopt;
  }

  // True when size bytes from at lie before the offset table.
  bool Fits(std::size_t at, std::uint64_t size) const { return size <= t_.tableOffset - at; }

  // The slot of the object at offset in nodeAt_.
  NodeId& SlotAt(std::uint64_t offset) {
    return nodeAt_.get()[static_cast<std::size_t>(offset - kHeaderSize)];
  }

  // Takes size more text bytes or items from what the file may stand for.
  bool Spend(std::uint64_t size) {
    if (size > content_) return false;
    content_ -= size;
    return true;
  }

  // Reads the object when the object at its offset is not read yet: a leaf
  // becomes a node at once, a container is put on the stack. Object numbers
  // that name one offset name one object.
  std::optional<std::string> Visit(std::uint64_t object) {
    if (object >= t_.objectCount) return Bad("object reference out of range");
    std::uint64_t offset = Offset(object);
    if (offset < kHeaderSize || offset >= t_.tableOffset) return Bad("object offset out of range");
    NodeId known = SlotAt(offset);
    if (known == kOpen) return Bad("reference cycle");
    if (known != 0) {
      pending_.push_back(known - kFirst);
      return std::nullopt;
    }
    Header h;
    if (auto error = ReadHeader(offset, h)) return error;
    if (h.kind == kArray || h.kind == kDict) return Open(offset, h);
    if (h.kind == kSet) return Bad("a set, which a property list cannot hold");
    if (!tree_.CanAdd(1, 0, 0)) return Bad("too many objects");
    std::optional<NodeId> id;
    if (auto error = Leaf(h, id)) return error;
    heights_.push_back(0);
    SlotAt(offset) = *id + kFirst;
    pending_.push_back(*id);
    return std::nullopt;
  }

  std::optional<std::string> Open(std::uint64_t offset, const Header& h) {
    if (stack_.size() >= kMaxDepth) return Bad(TooDeep());
    std::uint64_t count = h.count;
    if (h.kind == kDict) {
      if (count > UINT64_MAX / 2) return Bad("bad container size");
      count *= 2;
    }
    if (count > (t_.tableOffset - h.at) / t_.refSize) return Bad("container out of range");
    if (!tree_.CanAdd(1, count, 0)) return Bad("too many objects");
    if (!Spend(count)) return Bad(kOverlap);
    SlotAt(offset) = kOpen;
    stack_.push_back({offset, h.kind == kDict, h.at, count, 0, pending_.size()});
    return std::nullopt;
  }

  std::optional<std::string> Step() {
    Walk& w = stack_.back();
    if (w.next == w.count) return Close();
    std::uint64_t child =
        ReadBigEndian(bytes_, w.refs + static_cast<std::size_t>(w.next * t_.refSize), t_.refSize);
    bool key = w.dict && w.next < w.count / 2;
    ++w.next;
    std::size_t depth = stack_.size();
    if (auto error = Visit(child)) return error;
    if (key && stack_.size() == depth && tree_[pending_.back()].kind != Kind::String)
      return Bad("a dict key is not a string");
    if (key && stack_.size() > depth) return Bad("a dict key is not a string");
    return std::nullopt;
  }

  // Every reference of the innermost container followed: it becomes a node.
  std::optional<std::string> Close() {
    Walk w = stack_.back();
    stack_.pop_back();
    std::span<const NodeId> refs(pending_.data() + w.pending, pending_.size() - w.pending);
    std::uint32_t height = 0;
    for (NodeId item : refs) height = std::max(height, heights_[item]);
    if (++height > kMaxDepth) return Bad(TooDeep());
    NodeId id;
    if (w.dict) {
      std::size_t half = refs.size() / 2;
      keys_.clear();
      items_.clear();
      for (std::size_t i = 0; i < half; ++i) {
        if (!keys_.insert(tree_.Text(tree_[refs[i]])).second) return kKeyTwice;
        items_.push_back(refs[i]);
        items_.push_back(refs[half + i]);
      }
      id = tree_.AddContainer(Kind::Dict, items_);
    } else {
      id = tree_.AddContainer(Kind::Array, refs);
    }
    heights_.push_back(height);
    pending_.resize(w.pending);
    pending_.push_back(id);
    SlotAt(w.offset) = id + kFirst;
    return std::nullopt;
  }

  std::optional<std::string> Leaf(const Header& h, std::optional<NodeId>& id) {
    switch (h.kind) {
      case kSimple:
        if (h.count != 0x8 && h.count != 0x9) return kBad;
        id = tree_.AddScalar(Kind::Boolean, 0, h.count == 0x9);
        return std::nullopt;
      case kInteger:
        return Integer(h, id);
      case kReal:
        return Real(h, id);
      case kDate:
        if (h.count != 3) return kBad;
        if (!Fits(h.at, 8)) return Bad("object out of range");
        id = tree_.AddScalar(Kind::Date, ReadBigEndian(bytes_, h.at, 8));
        return std::nullopt;
      case kData:
        if (!Fits(h.at, h.count)) return Bad("data out of range");
        if (!tree_.CanAdd(1, 0, h.count)) return Bad("too many objects");
        if (!Spend(h.count)) return Bad(kOverlap);
        id = tree_.AddText(Kind::Data, bytes_.substr(h.at, static_cast<std::size_t>(h.count)));
        return std::nullopt;
      case kAscii:
      case kUtf16:
        return String(h, id);
      case kUid: {
        if (h.count > 7) return kBad;
        unsigned size = static_cast<unsigned>(h.count) + 1;
        if (!Fits(h.at, size)) return Bad("object out of range");
        std::uint64_t uid = ReadBigEndian(bytes_, h.at, size);
        if (uid > UINT32_MAX) return "a UID is out of range (0 to 2^32-1)";
        id = tree_.AddScalar(Kind::Uid, uid);
        return std::nullopt;
      }
      default:
        return kBad;
    }
  }

  std::optional<std::string> Integer(const Header& h, std::optional<NodeId>& id) {
    if (h.count > 4) return kBad;
    unsigned size = 1u << h.count;
    if (!Fits(h.at, size)) return Bad("object out of range");
    if (size < 8) {
      id = tree_.AddScalar(Kind::Integer, ReadBigEndian(bytes_, h.at, size));
    } else if (size == 8) {
      std::uint64_t bits = ReadBigEndian(bytes_, h.at, 8);
      id = tree_.AddScalar(Kind::Integer, bits, bits >> 63);
    } else {  // 16 bytes, signed: in range when the high half only extends the low one
      std::uint64_t high = ReadBigEndian(bytes_, h.at, 8);
      std::uint64_t low = ReadBigEndian(bytes_, h.at + 8, 8);
      if (high == 0) {
        id = tree_.AddScalar(Kind::Integer, low);
      } else if (high == UINT64_MAX && (low >> 63)) {
        id = tree_.AddScalar(Kind::Integer, low, true);
      } else {
        return kIntegerRange;
      }
    }
    return std::nullopt;
  }

  std::optional<std::string> Real(const Header& h, std::optional<NodeId>& id) {
    if (h.count != 2 && h.count != 3) return kBad;
    unsigned size = 1u << h.count;
    if (!Fits(h.at, size)) return Bad("object out of range");
    std::uint64_t bits = ReadBigEndian(bytes_, h.at, size);
    if (size == 4) {
      bits = BitsOf(static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(bits))));
    }
    id = tree_.AddScalar(Kind::Real, bits);
    return std::nullopt;
  }

  std::optional<std::string> String(const Header& h, std::optional<NodeId>& id) {
    unsigned unit = h.kind == kUtf16 ? 2 : 1;
    if (h.count > (t_.tableOffset - h.at) / unit) return Bad("string out of range");
    std::string_view raw = bytes_.substr(h.at, static_cast<std::size_t>(h.count * unit));
    text_.clear();
    if (unit == 1) {
      for (char c : raw)
        if (static_cast<unsigned char>(c) > 0x7F) return kNotUtf8;
      text_.assign(raw);
    } else if (!AppendUtf16AsUtf8(raw, text_)) {
      return kLoneSurrogate;
    }
    if (text_.find('\0') != std::string::npos) return kNulInText;
    if (!tree_.CanAdd(1, 0, text_.size())) return Bad("too many objects");
    if (!Spend(text_.size())) return Bad(kOverlap);
    id = tree_.AddText(Kind::String, text_);
    return std::nullopt;
  }

  std::string_view bytes_;
  Tree& tree_;
  Trailer t_;
  Slots nodeAt_;                        // by offset from the header's end to the offset table
  std::uint64_t content_ = 0;           // text bytes and items the tree may still take
  std::vector<std::uint32_t> heights_;  // container levels in each node's subtree
  std::vector<Walk> stack_;
  std::vector<NodeId> pending_;  // items of the open containers, innermost last
  std::unordered_set<std::string_view> keys_;
  std::vector<NodeId> items_;
  std::string text_;
};

}  // namespace

std::optional<std::string> ReadBinary(std::string_view bytes, Tree& tree) {
  return BinaryReader(bytes, tree).Run();
}

}  // namespace plutil
