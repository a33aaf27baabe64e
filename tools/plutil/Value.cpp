#include "plutil/Value.h"

#include <bit>

namespace plutil {

NodeId Tree::AddScalar(Kind kind, std::uint64_t word, bool flag) {
  nodes_.push_back({word, 0, kind, flag});
  return static_cast<NodeId>(nodes_.size() - 1);
}

NodeId Tree::AddText(Kind kind, std::string_view bytes) {
  nodes_.push_back({bytes_.size(), static_cast<std::uint32_t>(bytes.size()), kind, false});
  bytes_.append(bytes);
  return static_cast<NodeId>(nodes_.size() - 1);
}

NodeId Tree::AddContainer(Kind kind, std::span<const NodeId> items) {
  nodes_.push_back({items_.size(), static_cast<std::uint32_t>(items.size()), kind, false});
  items_.insert(items_.end(), items.begin(), items.end());
  return static_cast<NodeId>(nodes_.size() - 1);
}

bool Tree::CanAdd(std::uint64_t nodes, std::uint64_t items, std::uint64_t bytes) const {
  return nodes <= kMaxCount - nodes_.size() && items <= kMaxCount - items_.size() &&
         bytes <= kMaxCount - bytes_.size();
}

double DoubleOf(const Node& node) { return std::bit_cast<double>(node.word); }

std::uint64_t BitsOf(double value) { return std::bit_cast<std::uint64_t>(value); }

}  // namespace plutil
