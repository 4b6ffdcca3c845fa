#include "module/advise_holder.h"

#include "module/list_enumerator.h"

namespace velsor::module {

HRESULT AdviseHolder::Advise(IAdviseSink* sink, const FORMATETC& format, DWORD flags,
                             DWORD* cookie) {
  if (cookie != nullptr) *cookie = 0;
  if (sink == nullptr || cookie == nullptr) return E_INVALIDARG;
  // The target device is the caller's memory, not to be kept.
  FORMATETC kept = format;
  kept.ptd = nullptr;
  sink->AddRef();
  *cookie = nextCookie_++;
  connections_.emplace(*cookie, Connection{kept, flags, ComPtr<IAdviseSink>::Adopt(sink)});
  return S_OK;
}

HRESULT AdviseHolder::Unadvise(DWORD cookie) {
  return connections_.erase(cookie) == 1 ? S_OK : OLE_E_NOCONNECTION;
}

HRESULT AdviseHolder::Enumerate(IEnumSTATDATA** connections) const {
  if (connections == nullptr) return E_POINTER;
  auto list = std::make_shared<EnumeratedList<STATDATA>>();
  for (const auto& [cookie, connection] : connections_) {
    list->items.push_back({connection.format, connection.flags, connection.sink.get(), cookie});
    connection.sink->AddRef();
    list->held.push_back(ComPtr<IUnknown>::Adopt(connection.sink.get()));
  }
  list->handOut = [](const STATDATA& item) {
    item.pAdvSink->AddRef();
    return item;
  };
  *connections = ListEnumerator<IEnumSTATDATA, STATDATA>::Create(IID_IEnumSTATDATA, list);
  return S_OK;
}

void AdviseHolder::SendOnClose() const {
  // A sink may unadvise from its notification: notify a copy.
  const auto connections = connections_;
  for (const auto& [cookie, connection] : connections) connection.sink->OnClose();
}

}  // namespace velsor::module
