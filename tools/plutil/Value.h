// The value tree that both readers build and both writers read.
//
// Every value is held exactly: integers as 64 bits with their sign, reals
// and dates as the 8 bytes of their IEEE double (so -0.0 and NaN payloads
// stay), strings as UTF-8, data as bytes, UIDs apart from dicts.
//
// Nodes live in one vector and refer to each other by index. A container's
// items are indices into a shared pool; a dict's items alternate key (a
// String node) and value. A node may be the item of several containers (the
// binary form shares objects), but every item of a node has a smaller index
// than the node itself, so the graph has no cycles and walking the nodes in
// index order visits every item before the containers that hold it. Freeing
// the tree frees three vectors: no recursion, whatever the depth.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plutil {

enum class Kind : std::uint8_t { Boolean, Integer, Real, Date, String, Data, Uid, Array, Dict };

using NodeId = std::uint32_t;

struct Node {
  // Integer: the 64 bits (two's complement when negative); Real, Date: the
  // double's bits; Uid: the value; String, Data: where the bytes start in
  // the byte pool; Array, Dict: where the items start in the item pool.
  std::uint64_t word = 0;
  // String, Data: the number of bytes; Array, Dict: the number of items
  // (twice the entries for a dict).
  std::uint32_t size = 0;
  Kind kind = Kind::Boolean;
  // Boolean: the value; Integer: true when negative.
  bool flag = false;
};

class Tree {
 public:
  // Most nodes, items or text bytes a tree holds (indices are 32 bits).
  static constexpr std::uint64_t kMaxCount = UINT32_MAX - 2;

  // Each Add returns the new node's index. REQUIRES: CanAdd(...) for the
  // counts involved (the readers refuse a file that would pass them).
  NodeId AddScalar(Kind kind, std::uint64_t word, bool flag = false);
  NodeId AddText(Kind kind, std::string_view bytes);  // String or Data
  // REQUIRES: every item is an existing node; for a Dict, an even number
  // of items, each key a String node.
  NodeId AddContainer(Kind kind, std::span<const NodeId> items);

  // True when nodes more nodes, items more items and bytes more bytes fit.
  bool CanAdd(std::uint64_t nodes, std::uint64_t items, std::uint64_t bytes) const;

  const Node& operator[](NodeId id) const { return nodes_[id]; }
  std::size_t size() const { return nodes_.size(); }
  std::string_view Text(const Node& node) const {
    return std::string_view(bytes_).substr(node.word, node.size);
  }
  // The items of an Array or Dict; none for any other node.
  std::span<const NodeId> Items(const Node& node) const {
    if (node.kind != Kind::Array && node.kind != Kind::Dict) return {};
    return std::span<const NodeId>(items_).subspan(node.word, node.size);
  }

  NodeId root = 0;  // meaningful once a reader has succeeded

 private:
  std::vector<Node> nodes_;
  std::vector<NodeId> items_;
  std::string bytes_;
};

// The double held in a Real or Date node.
double DoubleOf(const Node& node);
std::uint64_t BitsOf(double value);

// The one NaN that the XML form holds: "nan" reads as it, and it writes as "nan".
inline constexpr std::uint64_t kXmlNan = 0x7FF8000000000000;

}  // namespace plutil
