#pragma once
// The control's data as a container may ask for it, and its property pages. It renders
// its data in no format (it is drawn only through its view) and has no pages; containers
// may still advise on its data, which never changes.

#include "module/control_site.h"
#include "module/delegating_part.h"

namespace velsor::module {

class DataObject final : public DelegatingPart<IDataObject> {
 public:
  DataObject(IUnknown& controlling, ControlSite& site) : DelegatingPart(controlling), site_(site) {}
  HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT QueryGetData(FORMATETC* format) override;
  HRESULT GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) override;
  HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
  HRESULT DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
  HRESULT DUnadvise(DWORD connection) override;
  HRESULT EnumDAdvise(IEnumSTATDATA** advises) override;

 private:
  ControlSite& site_;
};

class PropertyPages final : public DelegatingPart<ISpecifyPropertyPages> {
 public:
  using DelegatingPart::DelegatingPart;
  HRESULT GetPages(CAUUID* pages) override;
};

}  // namespace velsor::module
