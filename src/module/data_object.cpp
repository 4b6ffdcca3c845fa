#include "module/data_object.h"

#include "module/list_enumerator.h"

namespace velsor::module {
namespace {

HRESULT NoSuchFormat(const FORMATETC* format) {
  return format == nullptr ? E_POINTER : DV_E_FORMATETC;
}

}  // namespace

HRESULT DataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (medium == nullptr) return E_POINTER;
  *medium = STGMEDIUM{};
  return NoSuchFormat(format);
}

HRESULT DataObject::GetDataHere(FORMATETC* format, STGMEDIUM* medium) {
  if (medium == nullptr) return E_POINTER;
  return NoSuchFormat(format);
}

HRESULT DataObject::QueryGetData(FORMATETC* format) { return NoSuchFormat(format); }

HRESULT DataObject::GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) {
  if (canonical == nullptr) return E_POINTER;
  *canonical = FORMATETC{};
  return NoSuchFormat(format);
}

HRESULT DataObject::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL) {
  if (medium == nullptr) return E_POINTER;
  return NoSuchFormat(format);
}

// An empty list: there is no format to get, and none to set.
HRESULT DataObject::EnumFormatEtc(DWORD, IEnumFORMATETC** formats) {
  if (formats == nullptr) return E_POINTER;
  *formats = ListEnumerator<IEnumFORMATETC, FORMATETC>::Create(
      IID_IEnumFORMATETC, std::make_shared<EnumeratedList<FORMATETC>>());
  return S_OK;
}

HRESULT DataObject::DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                            DWORD* connection) {
  if (connection != nullptr) *connection = 0;
  if (format == nullptr) return E_INVALIDARG;
  return site_.dataAdvise().Advise(sink, *format, flags, connection);
}

HRESULT DataObject::DUnadvise(DWORD connection) { return site_.dataAdvise().Unadvise(connection); }

HRESULT DataObject::EnumDAdvise(IEnumSTATDATA** advises) {
  return site_.dataAdvise().Enumerate(advises);
}

HRESULT PropertyPages::GetPages(CAUUID* pages) {
  if (pages == nullptr) return E_POINTER;
  *pages = CAUUID{0, nullptr};
  return S_OK;
}

}  // namespace velsor::module
