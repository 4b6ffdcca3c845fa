#pragma once
// The sinks containers advise on the object (IOleObject::Advise) and on its data
// (IDataObject::DAdvise), by cookie, as the system's advise holders keep them.

#include <map>

#include "platform/com/com_ptr.h"
#include "platform/com/view_object.h"

namespace velsor::module {

class AdviseHolder {
 public:
  // E_INVALIDARG without a sink or cookie.
  HRESULT Advise(IAdviseSink* sink, const FORMATETC& format, DWORD flags, DWORD* cookie);
  // OLE_E_NOCONNECTION for a cookie that names no connection.
  HRESULT Unadvise(DWORD cookie);
  HRESULT Enumerate(IEnumSTATDATA** connections) const;

  void SendOnClose() const;

 private:
  struct Connection {
    FORMATETC format;
    DWORD flags;
    ComPtr<IAdviseSink> sink;
  };
  std::map<DWORD, Connection> connections_;
  DWORD nextCookie_ = 1;
};

}  // namespace velsor::module
