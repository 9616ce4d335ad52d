#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// A collection that owns its items. Items live on the heap, so a reference taken from the
// list stays valid while the list grows; removing or clearing frees them.
template <class T> class TOwnedList
{
public:
  TOwnedList() = default;
  TOwnedList(const TOwnedList &) = delete;
  TOwnedList &operator=(const TOwnedList &) = delete;

  int Count() const { return static_cast<int>(fItems.size()); }
  bool IsEmpty() const { return fItems.empty(); }

  // Raises std::out_of_range for an index outside the list.
  T &Items(int aIndex) const { return *fItems.at(CheckedIndex(aIndex)); }
  T &GetItem(int aIndex) const { return Items(aIndex); }

  T &Add()
  {
    fItems.push_back(std::make_unique<T>());
    return *fItems.back();
  }
  void Delete(int aIndex) { fItems.erase(fItems.begin() + CheckedIndex(aIndex)); }
  void Clear() { fItems.clear(); }

  int IndexOf(const T *aItem) const
  {
    for (int i = 0; i < Count(); ++i)
      if (fItems[i].get() == aItem)
        return i;
    return -1;
  }

private:
  std::size_t CheckedIndex(int aIndex) const
  {
    if (aIndex < 0 || aIndex >= Count())
      throw std::out_of_range("List index out of bounds (" + std::to_string(aIndex) + ")");
    return static_cast<std::size_t>(aIndex);
  }

  std::vector<std::unique_ptr<T>> fItems;
};
