// frmSlider: the blocking level dialog. A two-position slider (0: the first level, 1: the
// second), the two level texts under its ends, and a close button that is both Enter and Esc
// and stores the level shown (processNL and BlockLevel). Losing the activation stores
// nothing. Loaded at each opening: the opener sets the slider to the current level.
#pragma once

#include <memory>
#include <string>

#include "ui/controls/mod_subclass.h"
#include "ui/forms/form.h"

namespace tarnivo {

class frmSlider : public forms::Form, public ISubclass {
 public:
  frmSlider();
  static std::shared_ptr<frmSlider>& Instance();

  // The close button's caption from `file` ("CLOSE" when it gives none).
  void SetTexts(const std::string& file);
  void cmdsair_Click();

  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled) override;

 protected:
  void Form_Load() override;
  void Form_Unload() override;
  void Click(const std::string& control) override;
  // The slider gaining the focus: a dotted focus mark over its whole client area.
  void GotFocus(const std::string& control) override;

 private:
  bool hooked_ = false;
};

}  // namespace tarnivo
