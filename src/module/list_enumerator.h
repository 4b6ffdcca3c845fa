#pragma once
// The enumerators a container asks for (verbs, advise connections, data formats): a fixed
// list taken when the container asked, walked by Next and Skip, shared by its clones.
// Each keeps the module loaded while it lives.

#include <algorithm>
#include <memory>
#include <vector>

#include "module/module_state.h"
#include "platform/com/com_ptr.h"
#include "platform/com/heap_object.h"
#include "platform/com/view_object.h"

namespace velsor::module {

template <class Item>
struct EnumeratedList {
  std::vector<Item> items;
  // The objects the items point to, kept while any enumerator of the list lives.
  std::vector<ComPtr<IUnknown>> held;
  // Makes the copy a caller receives, with the references it will release.
  Item (*handOut)(const Item&) = [](const Item& item) { return item; };
};

template <class Interface, class Item>
class ListEnumerator final : public HeapObject<ListEnumerator<Interface, Item>, Interface> {
 public:
  using List = EnumeratedList<Item>;

  static Interface* Create(const IID& iid, std::shared_ptr<const List> list) {
    return std::unique_ptr<ListEnumerator>(new ListEnumerator(iid, std::move(list), 0)).release();
  }

  HRESULT Next(ULONG count, Item* items, ULONG* fetched) override {
    if (fetched != nullptr) *fetched = 0;
    if (items == nullptr) return E_POINTER;
    if (count > 1 && fetched == nullptr) return E_INVALIDARG;
    ULONG given = 0;
    for (; given < count && position_ < list_->items.size(); ++given, ++position_) {
      items[given] = list_->handOut(list_->items[position_]);
    }
    if (fetched != nullptr) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG count) override {
    const std::size_t left = list_->items.size() - position_;
    position_ += std::min<std::size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT Clone(Interface** copy) override {
    if (copy == nullptr) return E_POINTER;
    *copy = std::unique_ptr<ListEnumerator>(new ListEnumerator(iid_, list_, position_)).release();
    return S_OK;
  }

 private:
  ListEnumerator(const IID& iid, std::shared_ptr<const List> list, std::size_t position)
      : HeapObject<ListEnumerator, Interface>(iid), iid_(iid), list_(std::move(list)),
        position_(position) {
    LockModule();
  }
  ~ListEnumerator() { UnlockModule(); }
  friend struct std::default_delete<ListEnumerator>;

  IID iid_;  // for its clones
  std::shared_ptr<const List> list_;
  std::size_t position_;
};

}  // namespace velsor::module
