// frmLang: the language chooser. Its drop-down list cmbLang names the languages whose files
// lie in the languages folder; its close button cmdsair stores the one chosen as the `Lang`
// setting and makes it this thread's language. It closes without storing anything when it
// loses activation (a click elsewhere) or on Esc.
#pragma once

#include <memory>
#include <string>

#include "ui/controls/mod_subclass.h"
#include "ui/forms/form.h"

namespace tarnivo {

class frmLang : public forms::Form, public ISubclass {
 public:
  frmLang();
  // This thread's chooser, made on first use.
  static std::shared_ptr<frmLang>& Instance();

  // Fills cmbLang with the languages of the languages folder (each file whose extension is
  // exactly "tnk", named without ".tnk"), selects the current language or none, and reads the
  // close button's caption from `file` ("CLOSE" when it gives none).
  void SetTexts(const std::string& file);

  void cmdsair_Click();

  // WM_ACTIVATE of the chooser's own window: losing the activation closes it.
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled) override;

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_Unload() override;
  void Click(const std::string& control) override;
  void Cancelled() override;

 private:
  bool hooked_ = false;
};

}  // namespace tarnivo
