#pragma once
// Activation in one call, as containers that know the interface do it: the site, the view
// sink and the two connection points set from what the container passes, and the
// control's status handed back.

#include "module/connection_points.h"
#include "module/control_site.h"
#include "module/delegating_part.h"

namespace velsor::module {

class QuickActivation final : public DelegatingPart<IQuickActivate> {
 public:
  QuickActivation(IUnknown& controlling, ControlSite& site, ConnectionPoints& points)
      : DelegatingPart(controlling), site_(site), points_(points) {}
  HRESULT QuickActivate(QACONTAINER* container, QACONTROL* control) override;
  HRESULT SetContentExtent(SIZEL* size) override;
  HRESULT GetContentExtent(SIZEL* size) override;

 private:
  ControlSite& site_;
  ConnectionPoints& points_;
};

}  // namespace velsor::module
