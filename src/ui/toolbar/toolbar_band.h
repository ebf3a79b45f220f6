// What the toolbar form needs of the band it serves. CToolbar implements it; the form keeps
// its band as this (m_Toolbar).
#pragma once

#include <cstdint>
#include <string>

#include "server/host.h"

namespace tarnivo {

class ToolbarBand {
 public:
  virtual ~ToolbarBand() = default;

  // Master switch, the band's copy of processNR ("1" = blocking on), read and written as it
  // stands.
  std::string Enabled;

  // The image set of the main button; writing a different value reloads the toolbar images.
  virtual std::int32_t Icone() const = 0;
  virtual void SetIcone(std::int32_t id) = 0;
  // Shows or hides the band's toolbar window.
  virtual void ShowDW(bool show) = 0;
  // Hides and shows the toolbar so that the host paints it again.
  virtual void Redraw() = 0;
  // Shows a dialog form modally, placed under the main button.
  virtual void ShowForm(const host::ObjectPtr& frm) = 0;

 protected:
  ToolbarBand() = default;
  ToolbarBand(const ToolbarBand&) = default;
  ToolbarBand& operator=(const ToolbarBand&) = default;
};

}  // namespace tarnivo
