// The forms runtime: a form is a top-level window built from its table (form_layout.h), with
// its controls made by CreateWindowExA of the standard window classes, and the life of a
// form as the dialogs have it:
//
// - Load makes the window and the controls (hidden) and runs Form_Load. Anything that asks
//   the form for its place or its controls loads it first, as a first touch does.
// - Show makes it visible and active (Form_Activate runs when it becomes the active
//   window); a modal show disables the window that was active (its owner) and runs a
//   message loop until the form is hidden or unloaded. The thread's timers keep ticking in
//   that loop, and the dialog keyboard works through IsDialogMessageA: Tab in tab order,
//   Enter to the default button, Esc to the cancel button.
// - Hide takes it off the screen; a modal show then returns.
// - Unload runs Form_Unload, destroys the window and its controls and ends a modal show.
//   WM_CLOSE unloads too. The object stays, and a later touch loads it again.
//
// A form is also a host::Object, so that whoever shows it reaches it by name: "Name",
// "left", "tOp", "Width", "Height" (twips, the window's outer rectangle on the screen),
// "Caption", the method "Show" (argument 1: modal) and its controls by name, each an object
// with "value", "Text", "Caption", "ListIndex", "Enabled" and "Visible". Names are matched
// without regard to case.
//
// Events reach the form as calls of its virtual handlers: a button's click, a list's or
// combo box's choice (Click), a text box's change (Change), a control gaining the focus
// (GotFocus) and a character typed in a text box (KeyPress, which may swallow it by setting
// it to 0). Everything runs on the thread that made the form; a handler's failure is its own.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "server/host.h"
#include "ui/controls/mod_subclass.h"
#include "ui/forms/form_layout.h"

namespace tarnivo::forms {

// The messages of a list box or of a combo box's list (form.cpp).
struct ListMessages;

class Form : public host::Object, public std::enable_shared_from_this<Form> {
 public:
  explicit Form(const FormLayout& layout);
  ~Form() override;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const FormLayout& Layout() const { return layout_; }
  const char* Name() const { return layout_.name; }
  bool IsLoaded() const { return window_ != nullptr; }
  // The form's window; null while it is not loaded.
  HWND hWnd() const { return window_; }

  // Loads the form if it is not loaded: false when its window cannot be made.
  bool Load();
  void Show(bool modal);
  void Hide();
  void Unload();
  // True while a modal show of this form runs.
  bool ShownModally() const { return modal_depth_ > 0; }
  // True while Hide takes the form off the screen: the deactivation that follows is the
  // form's own doing, not a click elsewhere.
  bool Hiding() const { return hiding_; }

  // The window of control `name` (null for an unknown name or an unloaded form).
  HWND Item(const std::string& name) const;

  // --- what the dialogs ask of their controls; each call loads the form first ---
  std::string Text(const std::string& name);
  void SetText(const std::string& name, const std::string& text);
  bool Visible(const std::string& name);
  void SetVisible(const std::string& name, bool visible);
  bool Enabled(const std::string& name);
  void SetEnabled(const std::string& name, bool enabled);
  void SetFocusTo(const std::string& name);
  // Runs `work` on the control's window with the runtime's hooks taken off it meanwhile, so
  // that its messages go straight to the control: a bulk fill of a long list pays no
  // subclassing per message. Nothing the runtime hears (focus, keys) comes during the work.
  void WithoutHooks(const std::string& name, const std::function<void(HWND)>& work);
  // The selected entry of a list or combo box, -1 for none.
  int ListIndex(const std::string& name);
  void SetListIndex(const std::string& name, int index);
  int ListCount(const std::string& name);
  std::string ListText(const std::string& name, int index);
  void AddItem(const std::string& name, const std::string& text);
  void RemoveItem(const std::string& name, int index);
  void Clear(const std::string& name);
  // A slider's position.
  int Value(const std::string& name);
  void SetValue(const std::string& name, int value);

  // --- host::Object ---
  bool Get(const std::string& name, host::Value* out) override;
  bool Put(const std::string& name, const host::Value& value) override;
  bool Call(const std::string& name, const std::vector<host::Value>& args,
            host::Value* out) override;
  const void* Identity() const override { return this; }
  std::unique_ptr<host::Connection> ConnectDocumentEvents(host::DocumentEvents* sink) override;

  // The window procedure of every form's window and of the runtime's containers.
  static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 protected:
  // The handlers a dialog gives; each default does nothing.
  virtual void Form_Load() {}
  virtual void Form_Activate() {}
  virtual void Form_Unload() {}
  virtual void Click(const std::string& control) { (void)control; }
  virtual void Change(const std::string& control) { (void)control; }
  virtual void GotFocus(const std::string& control) { (void)control; }
  virtual void KeyPress(const std::string& control, int& key) {
    (void)control;
    (void)key;
  }
  // Esc in a form without a cancel button.
  virtual void Cancelled() {}

 private:
  struct Control {
    const ControlLayout* layout = nullptr;
    int id = 0;
    HWND window = nullptr;
    HWND container = nullptr;     // its container's window (the form's, a frame's, a picture box's)
    HBRUSH back_brush = nullptr;  // a label's own background
  };
  class ControlHooks;
  class ControlObject;

  bool MakeWindow();
  void MakeControls();
  void MakeControl(std::size_t index, std::vector<int>& state);
  void HookControl(const Control& control);
  void UnhookControl(const Control& control);
  void UnhookControls();
  const Control* FindControl(const std::string& name) const;
  const Control* ControlOfWindow(HWND window) const;
  const Control* RoleControl(KeyRole role) const;
  // The window of list or combo box `name` with the messages of its list; null for another.
  HWND ListWindow(const std::string& name, const ListMessages** messages);
  void Command(HWND from, int id, int code);
  void Scrolled(HWND from);
  // A control's notice to its parent (WM_COMMAND, WM_HSCROLL, WM_VSCROLL, a label's
  // WM_CTLCOLORSTATIC), with the answer; false for another message.
  bool ChildNotice(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  LRESULT DefaultButtonAnswer() const;
  void Activated(bool active);
  LRESULT ControlMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled);
  void RunModalLoop();
  void GiveBackOwner();
  void Forget();

  const FormLayout& layout_;
  std::string class_name_;
  std::unique_ptr<ControlHooks> hooks_;
  HWND window_ = nullptr;
  std::vector<Control> controls_;
  HWND last_focus_ = nullptr;  // the control that had the focus when the form was left
  HWND owner_ = nullptr;       // the window a modal show disabled
  int modal_depth_ = 0;
  bool hiding_ = false;
};

// A window's text (bytes of the ANSI code page); "" for none.
std::string WindowText(HWND window);

// The single instance of form T on the calling thread, made on first use.
template <typename T>
std::shared_ptr<T>& ThreadInstanceSlot() {
  thread_local std::shared_ptr<T> instance;
  return instance;
}
template <typename T>
T& ThreadInstance() {
  std::shared_ptr<T>& slot = ThreadInstanceSlot<T>();
  if (!slot) slot = std::make_shared<T>();
  return *slot;
}

}  // namespace tarnivo::forms
