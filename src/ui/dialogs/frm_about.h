// frmAbout: the about box. Fixed texts, a link to the maker's web site (opened with the shell,
// then the box closes) and a mail link (the box stays open), and its close button. It closes
// as soon as it loses the activation. Each opening loads it afresh.
#pragma once

#include <memory>
#include <string>

#include "ui/controls/mod_subclass.h"
#include "ui/forms/form.h"

namespace tarnivo {

// The maker's web site, a bare host name the shell opens with the default browser, and the
// contact mailbox.
inline constexpr const char* kWebSite = "www.tarnivo.example";
inline constexpr const char* kMailAddress = "contact@tarnivo.example";

class frmAbout : public forms::Form, public ISubclass {
 public:
  frmAbout();
  static std::shared_ptr<frmAbout>& Instance();

  void cmdFecha_Click();
  void Label1_Click();
  void Label2_Click();

  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled) override;

 protected:
  void Form_Load() override;
  void Form_Unload() override;
  void Click(const std::string& control) override;

 private:
  bool hooked_ = false;
};

}  // namespace tarnivo
