// A folder's names in one block of characters: a listing of 100,000 files costs its names'
// characters and eight bytes a name, not a string object and a heap block for each.
// Part of platform.h.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

using NativeName = std::filesystem::path::string_type;
using NativeChar = NativeName::value_type;

class NameList {
 public:
  using Name = std::basic_string_view<NativeChar>;

  NameList() = default;
  NameList(std::initializer_list<Name> names) {
    for (const Name name : names)
      add(name);
  }
  // From separate strings, as tests and small callers have them.
  NameList(const std::vector<NativeName>& names) {  // NOLINT: converts implicitly on purpose
    for (const NativeName& name : names)
      add(name);
  }

  void add(Name name) {
    if (chars_.size() + name.size() > UINT32_MAX) throw std::length_error("NameList");
    entries_.push_back(
        {static_cast<std::uint32_t>(chars_.size()), static_cast<std::uint32_t>(name.size())});
    chars_.append(name);
  }

  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  Name operator[](std::size_t index) const { return view(entries_[index]); }

  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Name;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = Name;
    const_iterator() = default;
    const_iterator(const NameList* list, std::size_t index) : list_(list), index_(index) {}
    Name operator*() const { return (*list_)[index_]; }
    const_iterator& operator++() {
      ++index_;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator was = *this;
      ++index_;
      return was;
    }
    bool operator==(const const_iterator& other) const { return index_ == other.index_; }

   private:
    const NameList* list_ = nullptr;
    std::size_t index_ = 0;
  };
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }

  std::vector<NativeName> toVector() const {
    std::vector<NativeName> names;
    names.reserve(size());
    for (const Name name : *this)
      names.emplace_back(name);
    return names;
  }

  // Puts the names in the order `before` gives, a strict weak order called with the indexes
  // of two names; the characters stay where they are.
  template <class Before>
  void sortIndexes(Before before) {
    std::vector<std::uint32_t> order(size());
    for (std::size_t i = 0; i < order.size(); ++i)
      order[i] = static_cast<std::uint32_t>(i);
    std::sort(order.begin(), order.end(), before);
    std::vector<Entry> sorted;
    sorted.reserve(size());
    for (const std::uint32_t i : order)
      sorted.push_back(entries_[i]);
    entries_ = std::move(sorted);
  }

 private:
  struct Entry {
    std::uint32_t start, length;
  };
  Name view(Entry e) const { return Name(chars_.data() + e.start, e.length); }

  NativeName chars_;
  std::vector<Entry> entries_;
};

}  // namespace platform
