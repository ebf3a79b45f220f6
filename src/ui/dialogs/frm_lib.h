// frmLib: the allow-domain dialog. It lets the user allow popups from the page on show in one
// click: only the page's own host (every "www." taken out), or the whole domain with a
// wildcard ("*." and the normalised domain). The entry goes to AllowedSites and to the list
// file at once, unless an entry already begins with it. Cancel, Esc and losing the activation
// add nothing. One instance per user-interface thread, loaded at its first use and hidden
// between uses.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ui/controls/mod_subclass.h"
#include "ui/forms/form.h"

namespace tarnivo {

class frmLib : public forms::Form, public ISubclass {
 public:
  frmLib();
  static std::shared_ptr<frmLib>& Instance();

  // The "only" and "all" labels and the cancel caption from `file`, each empty one in English.
  void SetTexts(const std::string& file);
  // Reads the page's domain (keeping the last one when it cannot be read) and captions the
  // three buttons from it; also run by the menu command just before the dialog is shown.
  void Form_Activate() override;

  void cmdSub_Click();
  void cmdTod_Click();
  void cmdCanc_Click();

  // The page's domain as last read; nothing before the first read.
  const std::optional<std::string>& Domain() const { return domain_; }

  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled) override;

 protected:
  void Form_Load() override;
  void Form_Unload() override;
  void Click(const std::string& control) override;

 private:
  std::string only_;
  std::string all_;
  std::string cancel_;
  std::optional<std::string> domain_;
  bool hooked_ = false;
};

}  // namespace tarnivo
