// A growing sequence whose elements never move: storage for tables that hand
// out pointers into it while they grow (fw::Dictionary's entries, a level's
// child list in the store).
//
// What callers may rely on:
// - An element stays at one address from push_back until it is removed
//   (pop_back, truncate, clear, destruction), however many elements are added
//   after it: pointers and references to it stay valid that long. swap
//   exchanges the storage itself, so they then belong to the other sequence.
// - Every element has a 32-bit tag kept apart from it, so that a pass over
//   the tags reads 4 bytes per element (fw::Dictionary keeps its keys' hashes
//   there). push_back sets it; Tag(i) reads and writes it.
// - Growing costs constant time per element, amortised, and never copies or
//   moves an element already held. A sequence that has never held an element
//   holds no memory; truncate and clear keep the memory for reuse, and
//   destruction releases it.
// - push_back that throws (no memory, or T's move constructor) leaves the
//   sequence as it was. Copying copies every element and tag (and throws
//   what T's copy throws, holding nothing then); there is no assignment.
// - operator[] and Tag are const but give write access: the sequence is
//   storage for its owner, which decides what is logically const.
//
// REQUIRES: i < size() for operator[] and Tag; !empty() for pop_back;
// n <= size() for truncate; fewer than 2^32 elements. T is
// move-constructible and, for copying the sequence, copy-constructible.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

namespace fw {

template <typename T>
class TaggedPages {
 public:
  TaggedPages() = default;
  TaggedPages(const TaggedPages& other) {
    try {
      for (std::size_t i = 0; i < other.size_; ++i) push_back(T(other[i]), other.Tag(i));
    } catch (...) {
      Release();
      throw;
    }
  }
  TaggedPages& operator=(const TaggedPages&) = delete;
  ~TaggedPages() { Release(); }

  std::size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  T& operator[](std::size_t i) const noexcept {
    const Place p = Locate(i);
    return Elements(p.page)[p.offset];
  }
  std::uint32_t& Tag(std::size_t i) const noexcept {
    const Place p = Locate(i);
    return Tags(p.page)[p.offset];
  }

  void push_back(T&& value, std::uint32_t tag) {
    const Place p = Locate(size_);
    if (p.page == pageCount_) AddPage();
    std::construct_at(Elements(p.page) + p.offset, std::move(value));
    Tags(p.page)[p.offset] = tag;
    ++size_;
  }
  void pop_back() noexcept {
    std::destroy_at(&(*this)[size_ - 1]);
    --size_;
  }
  // Keeps the first n elements (n <= size()); the pages stay for reuse.
  void truncate(std::size_t n) noexcept {
    while (size_ > n) pop_back();
  }
  void clear() noexcept { truncate(0); }
  void swap(TaggedPages& other) noexcept {
    std::swap(pages_, other.pages_);
    std::swap(pageCount_, other.pageCount_);
    std::swap(size_, other.size_);
  }

 private:
  // Pages of doubling size (8, 16, 32, ... elements), each its elements
  // followed by their tags; element i lives in page bit_width(i + 8) - 4.
  static constexpr std::size_t kFirstBits = 3;
  static constexpr std::size_t kFirst = std::size_t{1} << kFirstBits;
  static constexpr std::size_t kAlign = alignof(T) > alignof(std::uint32_t)
                                            ? alignof(T)
                                            : alignof(std::uint32_t);
  struct Place {
    std::size_t page, offset;
  };

  static std::size_t PageSize(std::size_t page) noexcept { return kFirst << page; }
  static std::size_t PageBytes(std::size_t page) noexcept {
    return PageSize(page) * (sizeof(T) + sizeof(std::uint32_t));
  }
  static Place Locate(std::size_t i) noexcept {
    const std::size_t j = i + kFirst;
    const std::size_t page = static_cast<std::size_t>(std::bit_width(j)) - 1 - kFirstBits;
    return {page, j - (kFirst << page)};
  }
  T* Elements(std::size_t page) const noexcept { return static_cast<T*>(pages_[page]); }
  std::uint32_t* Tags(std::size_t page) const noexcept {
    return reinterpret_cast<std::uint32_t*>(static_cast<unsigned char*>(pages_[page]) +
                                            PageSize(page) * sizeof(T));
  }

  void AddPage() {
    void* page = ::operator new (PageBytes(pageCount_), std::align_val_t{kAlign});
    void** grown;
    try {
      grown = new void*[pageCount_ + 1];
    } catch (...) {
      ::operator delete (page, std::align_val_t{kAlign});
      throw;
    }
    std::copy_n(pages_, pageCount_, grown);
    grown[pageCount_] = page;
    delete[] pages_;
    pages_ = grown;
    ++pageCount_;
  }

  void Release() noexcept {
    clear();
    for (std::size_t p = 0; p < pageCount_; ++p)
      ::operator delete (pages_[p], std::align_val_t{kAlign});
    delete[] pages_;
    pages_ = nullptr;
    pageCount_ = 0;
  }

  void** pages_ = nullptr;
  std::uint32_t pageCount_ = 0;
  std::uint32_t size_ = 0;
};

}  // namespace fw
