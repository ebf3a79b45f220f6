#include "ui/forms/form.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "platform/module.h"
#include "store/site_list.h"
#include "ui/forms/twips.h"

namespace tarnivo::forms {

namespace {

constexpr const char* kContainerClass = "Tarnivo.Container";
// The id of the group box that draws a frame's border and caption inside the frame.
constexpr int kFrameBoxId = 0xFFFF;
// The dropped list of a combo box, below its field: about eight entries.
constexpr int kDroppedListTwips = 2400;

// What a kind of control is made of.
struct KindFacts {
  const char* window_class;  // null: a container of the runtime's own
  DWORD style;
  bool tab_stop;
};

KindFacts FactsOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button:
      return {"BUTTON", BS_PUSHBUTTON, true};
    case ControlKind::OwnerDrawButton:
      return {"BUTTON", BS_OWNERDRAW, true};
    case ControlKind::Label:
      return {"STATIC", SS_LEFT | SS_NOTIFY, false};
    case ControlKind::TextBox:
      return {"EDIT", WS_BORDER | ES_AUTOHSCROLL, true};
    case ControlKind::List:
      return {"LISTBOX", WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, true};
    case ControlKind::ComboBox:
      return {"COMBOBOX", WS_VSCROLL | CBS_DROPDOWNLIST, true};
    case ControlKind::Frame:
    case ControlKind::PictureBox:
      return {nullptr, WS_CLIPSIBLINGS, false};
    case ControlKind::Slider:
      return {TRACKBAR_CLASSA, TBS_HORZ | TBS_AUTOTICKS, true};
  }
  return {"STATIC", 0, false};
}

bool IsContainer(ControlKind kind) {
  return kind == ControlKind::Frame || kind == ControlKind::PictureBox;
}

// A member name as the runtime compares it: ASCII letters in lower case.
std::string Key(const std::string& name) { return FoldCase(name); }

// A length in pixels as twips, held within 32 bits.
std::int32_t ToTwips(LONG pixels, double per_pixel) {
  const double twips = std::round(static_cast<double>(pixels) * per_pixel);
  constexpr double kLow = std::numeric_limits<std::int32_t>::min();
  constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(twips < kLow ? kLow : twips > kHigh ? kHigh : twips);
}

template <typename Step>
void Guarded(Step step) {
  try {
    step();
  } catch (...) {
  }
}

void RegisterWindowClass(const char* name, WNDPROC proc, HBRUSH background) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = proc;
  wc.hInstance = ModuleInstance();
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  RegisterClassA(&wc);  // already registered: fine
}

HBRUSH FaceBrush() { return reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)); }

}  // namespace

// The runtime's own listening on the controls: their focus, and a text box's keys.
class Form::ControlHooks : public ISubclass {
 public:
  explicit ControlHooks(Form& form) : form_(form) {}
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled) override {
    return form_.ControlMessage(hwnd, msg, wParam, lParam, Handled);
  }

 private:
  Form& form_;
};

// A control reached by name through the form: what "Slider1" or "cmbLang" answers.
class Form::ControlObject : public host::Object {
 public:
  ControlObject(std::weak_ptr<Form> form, std::string name)
      : form_(std::move(form)), name_(std::move(name)) {}

  bool Get(const std::string& member, host::Value* out) override {
    const std::shared_ptr<Form> form = form_.lock();
    if (form == nullptr || form->FindControl(name_) == nullptr) return false;
    const std::string key = Key(member);
    if (key == "value") {
      *out = host::Value::Of(static_cast<std::int32_t>(form->Value(name_)));
    } else if (key == "text" || key == "caption") {
      *out = host::Value::Of(form->Text(name_));
    } else if (key == "listindex") {
      *out = host::Value::Of(static_cast<std::int32_t>(form->ListIndex(name_)));
    } else if (key == "listcount") {
      *out = host::Value::Of(static_cast<std::int32_t>(form->ListCount(name_)));
    } else if (key == "enabled") {
      *out = host::Value::Of(form->Enabled(name_));
    } else if (key == "visible") {
      *out = host::Value::Of(form->Visible(name_));
    } else {
      return false;
    }
    return true;
  }

  bool Put(const std::string& member, const host::Value& value) override {
    const std::shared_ptr<Form> form = form_.lock();
    if (form == nullptr || form->FindControl(name_) == nullptr) return false;
    const std::string key = Key(member);
    if ((key == "value" || key == "listindex") && value.kind == host::Value::Kind::Int) {
      if (key == "value")
        form->SetValue(name_, value.number);
      else
        form->SetListIndex(name_, value.number);
    } else if ((key == "text" || key == "caption") && value.kind == host::Value::Kind::String) {
      form->SetText(name_, value.text);
    } else if (key == "enabled" && value.kind == host::Value::Kind::Bool) {
      form->SetEnabled(name_, value.boolean);
    } else if (key == "visible" && value.kind == host::Value::Kind::Bool) {
      form->SetVisible(name_, value.boolean);
    } else {
      return false;
    }
    return true;
  }

  bool Call(const std::string&, const std::vector<host::Value>&, host::Value*) override {
    return false;
  }
  const void* Identity() const override { return this; }
  std::unique_ptr<host::Connection> ConnectDocumentEvents(host::DocumentEvents*) override {
    return nullptr;
  }

 private:
  std::weak_ptr<Form> form_;
  std::string name_;
};

Form::Form(const FormLayout& layout)
    : layout_(layout),
      class_name_(std::string(kFormClassPrefix) + layout.name),
      hooks_(std::make_unique<ControlHooks>(*this)) {}

Form::~Form() {
  if (window_ != nullptr) {
    UnhookControls();
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

bool Form::Load() {
  if (window_ != nullptr) return true;
  if (!MakeWindow()) return false;
  MakeControls();
  Guarded([&] { Form_Load(); });
  return window_ != nullptr;
}

bool Form::MakeWindow() {
  RegisterWindowClass(class_name_.c_str(), FormProc, FaceBrush());
  RegisterWindowClass(kContainerClass, ContainerProc, FaceBrush());
  const TwipsPerPixel scale = ScreenTwipsPerPixel();
  const DWORD style =
      WS_POPUP | WS_CLIPCHILDREN | (layout_.title_bar ? WS_CAPTION | WS_SYSMENU : WS_BORDER);
  const DWORD ex_style = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
  RECT outer = {0, 0, TwipsToPixelsX(layout_.width, scale), TwipsToPixelsY(layout_.height, scale)};
  AdjustWindowRectEx(&outer, style, FALSE, ex_style);
  window_ = CreateWindowExA(ex_style, class_name_.c_str(), layout_.caption, style, 0, 0,
                            outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                            ModuleInstance(), this);
  return window_ != nullptr;
}

void Form::MakeControls() {
  controls_.assign(layout_.control_count, Control());
  for (std::size_t i = 0; i < layout_.control_count; ++i) {
    controls_[i].layout = &layout_.controls[i];
    controls_[i].id = ControlId(i);
  }
  // Creation order is tab order: the dialog keyboard walks the controls of a container in
  // the order they were made.
  std::vector<std::size_t> order(layout_.control_count);
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return layout_.controls[a].tab_index < layout_.controls[b].tab_index;
  });
  std::vector<int> state(layout_.control_count, 0);  // 0 not yet, 1 being made, 2 made
  for (std::size_t index : order) MakeControl(index, state);
  // A frame's border and caption lie under everything made in it.
  const TwipsPerPixel scale = ScreenTwipsPerPixel();
  for (Control& control : controls_) {
    if (control.window == nullptr || control.layout->kind != ControlKind::Frame) continue;
    CreateWindowExA(0, "BUTTON", control.layout->caption, WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, 0,
                    TwipsToPixelsX(control.layout->width, scale),
                    TwipsToPixelsY(control.layout->height, scale), control.window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFrameBoxId)), ModuleInstance(),
                    nullptr);
  }
}

void Form::MakeControl(std::size_t index, std::vector<int>& state) {
  if (state[index] != 0) return;  // made, or a container that holds itself
  state[index] = 1;
  Control& control = controls_[index];
  const ControlLayout& layout = *control.layout;
  HWND parent = window_;
  const int container = ContainerOf(layout_, index);
  if (container >= 0 && IsContainer(layout_.controls[container].kind)) {
    MakeControl(static_cast<std::size_t>(container), state);
    parent = controls_[static_cast<std::size_t>(container)].window;
  }
  state[index] = 2;
  if (parent == nullptr) return;

  const KindFacts facts = FactsOf(layout.kind);
  const TwipsPerPixel scale = ScreenTwipsPerPixel();
  int height = TwipsToPixelsY(layout.height, scale);
  if (layout.kind == ControlKind::ComboBox) height += TwipsToPixelsY(kDroppedListTwips, scale);
  const DWORD style = WS_CHILD | (layout.visible ? WS_VISIBLE : 0) |
                      (facts.tab_stop ? WS_TABSTOP : 0) | facts.style | layout.style;
  const DWORD ex_style = facts.window_class == nullptr ? WS_EX_CONTROLPARENT : 0;
  control.container = parent;
  control.window = CreateWindowExA(
      ex_style, facts.window_class ? facts.window_class : kContainerClass, layout.caption, style,
      TwipsToPixelsX(layout.left, scale), TwipsToPixelsY(layout.top, scale),
      TwipsToPixelsX(layout.width, scale), height, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), ModuleInstance(), nullptr);
  if (control.window == nullptr) return;
  SendMessageA(control.window, WM_SETFONT,
               reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  if (layout.back_color != kSystemColor) control.back_brush = CreateSolidBrush(layout.back_color);
  if (layout.on_top)
    SetWindowPos(control.window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (facts.window_class == nullptr) {
    SetWindowLongPtrA(control.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return;
  }
  HookControl(control);
}

// The messages of a standard control that the runtime hears before the control does.
void Form::HookControl(const Control& control) {
  if (control.window == nullptr || control.layout == nullptr) return;
  if (FactsOf(control.layout->kind).window_class == nullptr) return;
  modSubclass::HookMessage(hooks_.get(), control.window, WM_SETFOCUS);
  if (control.layout->kind == ControlKind::TextBox) {
    modSubclass::HookMessage(hooks_.get(), control.window, WM_GETDLGCODE);
    modSubclass::HookMessage(hooks_.get(), control.window, WM_CHAR);
  }
}

void Form::UnhookControl(const Control& control) {
  if (control.window == nullptr || control.layout == nullptr) return;
  if (FactsOf(control.layout->kind).window_class == nullptr) return;
  modSubclass::UnhookMessage(hooks_.get(), control.window, WM_SETFOCUS);
  modSubclass::UnhookMessage(hooks_.get(), control.window, WM_GETDLGCODE);
  modSubclass::UnhookMessage(hooks_.get(), control.window, WM_CHAR);
}

void Form::UnhookControls() {
  for (const Control& control : controls_) UnhookControl(control);
}

void Form::WithoutHooks(const std::string& name, const std::function<void(HWND)>& work) {
  const Control* control = FindControl(name);
  if (control == nullptr || control->window == nullptr) return;
  UnhookControl(*control);
  try {
    work(control->window);
  } catch (...) {
    HookControl(*control);
    throw;
  }
  HookControl(*control);
}

void Form::Show(bool modal) {
  // The form stays alive until its show returns, whoever lets go of it meanwhile.
  const std::shared_ptr<Form> keep = weak_from_this().lock();
  if (!Load()) return;
  if (modal && modal_depth_ > 0) modal = false;  // already shown modally: just brought up
  if (modal) {
    HWND active = GetActiveWindow();
    if (active != nullptr && active != window_ && IsWindowEnabled(active)) {
      owner_ = active;
      EnableWindow(owner_, FALSE);
    }
  }
  if (window_ != nullptr) {
    if (IsWindowVisible(window_))
      SetActiveWindow(window_);
    else
      ShowWindow(window_, SW_SHOW);
  }
  if (!modal) return;
  ++modal_depth_;
  RunModalLoop();
  --modal_depth_;
  GiveBackOwner();
}

void Form::RunModalLoop() {
  MSG msg = {};
  while (window_ != nullptr && IsWindowVisible(window_)) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The thread is asked to end: its loop outside hears it too.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) {
      // No message will ever come: the form leaves the screen rather than wait for good.
      Hide();
      break;
    }
    if (window_ == nullptr || !IsDialogMessageA(window_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

void Form::GiveBackOwner() {
  if (owner_ == nullptr) return;
  HWND owner = owner_;
  owner_ = nullptr;
  if (IsWindow(owner)) EnableWindow(owner, TRUE);
}

void Form::Hide() {
  if (window_ == nullptr) return;
  // The owner is enabled before the form goes, so that the activation can return to it.
  GiveBackOwner();
  hiding_ = true;
  ShowWindow(window_, SW_HIDE);
  hiding_ = false;
}

void Form::Unload() {
  if (window_ == nullptr) return;
  const std::shared_ptr<Form> keep = weak_from_this().lock();
  Guarded([&] { Form_Unload(); });
  if (window_ == nullptr) return;  // the handler unloaded it already
  GiveBackOwner();
  UnhookControls();
  HWND window = window_;
  DestroyWindow(window);
  Forget();
  UnregisterClassA(class_name_.c_str(), ModuleInstance());
  UnregisterClassA(kContainerClass, ModuleInstance());  // another form may still use it
}

void Form::Forget() {
  if (window_ != nullptr && IsWindow(window_)) SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
  for (Control& control : controls_) {
    if (control.back_brush != nullptr) DeleteObject(control.back_brush);
  }
  window_ = nullptr;
  controls_.clear();
  last_focus_ = nullptr;
}

const Form::Control* Form::FindControl(const std::string& name) const {
  const std::string key = Key(name);
  for (const Control& control : controls_) {
    if (Key(control.layout->name) == key) return &control;
  }
  return nullptr;
}

const Form::Control* Form::ControlOfWindow(HWND window) const {
  if (window == nullptr) return nullptr;
  for (const Control& control : controls_) {
    if (control.window == window) return &control;
  }
  return nullptr;
}

const Form::Control* Form::RoleControl(KeyRole role) const {
  for (const Control& control : controls_) {
    if (HasRole(control.layout->role, role)) return &control;
  }
  return nullptr;
}

HWND Form::Item(const std::string& name) const {
  const Control* control = FindControl(name);
  return control ? control->window : nullptr;
}

// --- controls ---

namespace {

bool IsKind(const ControlLayout* layout, ControlKind kind) {
  return layout && layout->kind == kind;
}

}  // namespace

std::string Form::Text(const std::string& name) {
  Load();
  const Control* control = FindControl(name);
  if (control == nullptr || control->window == nullptr) return std::string();
  if (control->layout->kind == ControlKind::ComboBox ||
      control->layout->kind == ControlKind::List) {
    const int index = ListIndex(name);
    return index < 0 ? std::string() : ListText(name, index);
  }
  return WindowText(control->window);
}

void Form::SetText(const std::string& name, const std::string& text) {
  Load();
  const Control* control = FindControl(name);
  if (control == nullptr || control->window == nullptr) return;
  if (control->layout->kind == ControlKind::ComboBox) {
    // A drop-down list shows only its entries: the text selects the entry that reads so, or
    // none.
    const LRESULT found = SendMessageA(control->window, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(control->window, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
    return;
  }
  SetWindowTextA(control->window, text.c_str());
  if (control->layout->kind == ControlKind::Frame) {
    SetWindowTextA(GetDlgItem(control->window, kFrameBoxId), text.c_str());
  }
}

bool Form::Visible(const std::string& name) {
  Load();
  HWND window = Item(name);
  return window != nullptr && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Form::SetVisible(const std::string& name, bool visible) {
  Load();
  if (HWND window = Item(name)) ShowWindow(window, visible ? SW_SHOW : SW_HIDE);
}

bool Form::Enabled(const std::string& name) {
  Load();
  HWND window = Item(name);
  return window != nullptr && IsWindowEnabled(window);
}

void Form::SetEnabled(const std::string& name, bool enabled) {
  Load();
  if (HWND window = Item(name)) EnableWindow(window, enabled ? TRUE : FALSE);
}

void Form::SetFocusTo(const std::string& name) {
  Load();
  if (HWND window = Item(name)) SetFocus(window);
}

struct ListMessages {
  UINT get_selection, set_selection, count, text_length, text, add, remove, clear;
};

namespace {

constexpr ListMessages kComboMessages = {CB_GETCURSEL,    CB_SETCURSEL,   CB_GETCOUNT,
                                         CB_GETLBTEXTLEN, CB_GETLBTEXT,   CB_ADDSTRING,
                                         CB_DELETESTRING, CB_RESETCONTENT};
constexpr ListMessages kListMessages = {LB_GETCURSEL,    LB_SETCURSEL,   LB_GETCOUNT,
                                        LB_GETTEXTLEN,   LB_GETTEXT,     LB_ADDSTRING,
                                        LB_DELETESTRING, LB_RESETCONTENT};

// The messages of a control's list; null for a control without one.
const ListMessages* ListMessagesOf(const ControlLayout* layout) {
  if (IsKind(layout, ControlKind::ComboBox)) return &kComboMessages;
  if (IsKind(layout, ControlKind::List)) return &kListMessages;
  return nullptr;
}

}  // namespace

HWND Form::ListWindow(const std::string& name, const ListMessages** messages) {
  Load();
  const Control* control = FindControl(name);
  if (control == nullptr || control->window == nullptr) return nullptr;
  *messages = ListMessagesOf(control->layout);
  return *messages != nullptr ? control->window : nullptr;
}

int Form::ListIndex(const std::string& name) {
  const ListMessages* list = nullptr;
  HWND window = ListWindow(name, &list);
  return window ? static_cast<int>(SendMessageA(window, list->get_selection, 0, 0)) : -1;
}

void Form::SetListIndex(const std::string& name, int index) {
  const ListMessages* list = nullptr;
  if (HWND window = ListWindow(name, &list))
    SendMessageA(window, list->set_selection, static_cast<WPARAM>(index), 0);
}

int Form::ListCount(const std::string& name) {
  const ListMessages* list = nullptr;
  HWND window = ListWindow(name, &list);
  const LRESULT count = window ? SendMessageA(window, list->count, 0, 0) : 0;
  return count > 0 ? static_cast<int>(count) : 0;
}

std::string Form::ListText(const std::string& name, int index) {
  const ListMessages* list = nullptr;
  HWND window = ListWindow(name, &list);
  if (window == nullptr || index < 0) return std::string();
  const LRESULT length = SendMessageA(window, list->text_length, static_cast<WPARAM>(index), 0);
  if (length < 0) return std::string();
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT copied = SendMessageA(window, list->text, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(&text[0]));
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

void Form::AddItem(const std::string& name, const std::string& text) {
  const ListMessages* list = nullptr;
  if (HWND window = ListWindow(name, &list))
    SendMessageA(window, list->add, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Form::RemoveItem(const std::string& name, int index) {
  const ListMessages* list = nullptr;
  HWND window = ListWindow(name, &list);
  if (window != nullptr && index >= 0)
    SendMessageA(window, list->remove, static_cast<WPARAM>(index), 0);
}

void Form::Clear(const std::string& name) {
  const ListMessages* list = nullptr;
  if (HWND window = ListWindow(name, &list)) {
    SendMessageA(window, list->clear, 0, 0);
  } else if (const Control* control = FindControl(name);
             control && control->window && IsKind(control->layout, ControlKind::TextBox)) {
    SetWindowTextA(control->window, "");
  }
}

int Form::Value(const std::string& name) {
  Load();
  const Control* control = FindControl(name);
  if (control == nullptr || control->window == nullptr) return 0;
  if (IsKind(control->layout, ControlKind::Slider))
    return static_cast<int>(SendMessageA(control->window, TBM_GETPOS, 0, 0));
  return ListIndex(name);
}

void Form::SetValue(const std::string& name, int value) {
  Load();
  const Control* control = FindControl(name);
  if (control == nullptr || control->window == nullptr) return;
  if (IsKind(control->layout, ControlKind::Slider))
    SendMessageA(control->window, TBM_SETPOS, TRUE, static_cast<LPARAM>(value));
  else
    SetListIndex(name, value);
}

std::string WindowText(HWND window) {
  if (window == nullptr) return std::string();
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return std::string();
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

// --- the form reached by name ---

bool Form::Get(const std::string& name, host::Value* out) {
  const std::string key = Key(name);
  if (key == "name") {
    *out = host::Value::Of(layout_.name);
    return true;
  }
  if (!Load()) return false;
  if (key == "caption") {
    *out = host::Value::Of(WindowText(window_));
    return true;
  }
  if (key == "visible") {
    *out = host::Value::Of(IsWindowVisible(window_) != FALSE);
    return true;
  }
  if (key == "left" || key == "top" || key == "width" || key == "height") {
    RECT rect = {};
    if (!GetWindowRect(window_, &rect)) return false;
    const TwipsPerPixel scale = ScreenTwipsPerPixel();
    std::int32_t twips = 0;
    if (key == "left") twips = ToTwips(rect.left, scale.x);
    if (key == "top") twips = ToTwips(rect.top, scale.y);
    if (key == "width") twips = ToTwips(rect.right - rect.left, scale.x);
    if (key == "height") twips = ToTwips(rect.bottom - rect.top, scale.y);
    *out = host::Value::Of(twips);
    return true;
  }
  // A control is reached through a form that is held by a shared reference.
  if (FindControl(name) == nullptr || weak_from_this().expired()) return false;
  *out = host::Value::Of(std::static_pointer_cast<host::Object>(
      std::make_shared<ControlObject>(weak_from_this(), name)));
  return true;
}

bool Form::Put(const std::string& name, const host::Value& value) {
  const std::string key = Key(name);
  if (!Load()) return false;
  if (key == "caption" && value.kind == host::Value::Kind::String) {
    return SetWindowTextA(window_, value.text.c_str()) != FALSE;
  }
  if (key == "visible" && value.kind == host::Value::Kind::Bool) {
    if (value.boolean)
      Show(false);
    else
      Hide();
    return true;
  }
  if ((key == "left" || key == "top" || key == "width" || key == "height") &&
      value.kind == host::Value::Kind::Int) {
    RECT rect = {};
    if (!GetWindowRect(window_, &rect)) return false;
    const TwipsPerPixel scale = ScreenTwipsPerPixel();
    LONG x = rect.left;
    LONG y = rect.top;
    LONG width = rect.right - rect.left;
    LONG height = rect.bottom - rect.top;
    if (key == "left") x = TwipsToPixelsX(value.number, scale);
    if (key == "top") y = TwipsToPixelsY(value.number, scale);
    if (key == "width") width = TwipsToPixelsX(value.number, scale);
    if (key == "height") height = TwipsToPixelsY(value.number, scale);
    return MoveWindow(window_, x, y, width, height, TRUE) != FALSE;
  }
  return false;
}

bool Form::Call(const std::string& name, const std::vector<host::Value>& args, host::Value* out) {
  (void)out;
  const std::string key = Key(name);
  if (key == "show") {
    bool modal = false;
    if (!args.empty()) {
      const host::Value& style = args[0];
      if (style.kind == host::Value::Kind::Int) modal = style.number == 1;
      if (style.kind == host::Value::Kind::Bool) modal = style.boolean;
    }
    Show(modal);
    return true;
  }
  if (key == "hide") {
    Hide();
    return true;
  }
  return false;
}

std::unique_ptr<host::Connection> Form::ConnectDocumentEvents(host::DocumentEvents* sink) {
  (void)sink;
  return nullptr;
}

// --- messages ---

void Form::Command(HWND from, int id, int code) {
  if (from == nullptr || ControlOfWindow(from) == nullptr) {
    // Esc in the dialog: the cancel button's click, when it can be clicked.
    if (id == IDCANCEL) {
      const Control* cancel = RoleControl(KeyRole::Cancel);
      if (cancel == nullptr) {
        Guarded([&] { Cancelled(); });
      } else if (cancel->window && IsWindowEnabled(cancel->window)) {
        const std::string name = cancel->layout->name;
        Guarded([&] { Click(name); });
      }
    }
    return;
  }
  const Control* control = ControlOfWindow(from);
  const std::string name = control->layout->name;
  switch (control->layout->kind) {
    case ControlKind::Button:
    case ControlKind::OwnerDrawButton:
      // An owner-drawn button tells the second click of a double click as BN_DOUBLECLICKED:
      // it is a click all the same, as on a push button.
      if (code == BN_CLICKED || code == BN_DOUBLECLICKED) Guarded([&] { Click(name); });
      break;
    case ControlKind::ComboBox:
      if (code == CBN_SELCHANGE) Guarded([&] { Click(name); });
      break;
    case ControlKind::List:
      if (code == LBN_SELCHANGE) Guarded([&] { Click(name); });
      break;
    case ControlKind::TextBox:
      if (code == EN_CHANGE) Guarded([&] { Change(name); });
      break;
    case ControlKind::Label:
      if (code == STN_CLICKED) Guarded([&] { Click(name); });
      break;
    default:
      break;
  }
}

void Form::Scrolled(HWND from) {
  const Control* control = ControlOfWindow(from);
  if (control == nullptr || control->layout->kind != ControlKind::Slider) return;
  const std::string name = control->layout->name;
  Guarded([&] { Change(name); });
}

LRESULT Form::DefaultButtonAnswer() const {
  // A focused push button takes Enter; otherwise the default button does.
  HWND focus = GetFocus();
  const Control* focused = ControlOfWindow(focus);
  if (focused && (focused->layout->kind == ControlKind::Button ||
                  focused->layout->kind == ControlKind::OwnerDrawButton))
    return MAKELONG(focused->id, DC_HASDEFID);
  const Control* fallback = RoleControl(KeyRole::Default);
  if (fallback && fallback->window) return MAKELONG(fallback->id, DC_HASDEFID);
  return 0;
}

void Form::Activated(bool active) {
  if (window_ == nullptr) return;
  if (!active) {
    HWND focus = GetFocus();
    if (ControlOfWindow(focus) != nullptr) last_focus_ = focus;
    return;
  }
  Guarded([&] { Form_Activate(); });
  if (window_ == nullptr) return;
  // Unless the form's own handler placed it, the focus goes back to the control that had it
  // when the form was left; at first to the first control in tab order.
  HWND focus = GetFocus();
  if (focus != nullptr && IsChild(window_, focus)) return;
  HWND target = nullptr;
  if (ControlOfWindow(last_focus_) != nullptr && IsWindowEnabled(last_focus_) &&
      IsWindowVisible(last_focus_))
    target = last_focus_;
  if (target == nullptr) target = GetNextDlgTabItem(window_, nullptr, FALSE);
  SetFocus(target != nullptr ? target : window_);
}

LRESULT Form::ControlMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled) {
  const Control* control = ControlOfWindow(hwnd);
  if (control == nullptr) return 0;
  const std::string name = control->layout->name;
  switch (msg) {
    case WM_SETFOCUS: {
      const LRESULT result = modSubclass::CallPreviousProc(hwnd, msg, wParam, lParam);
      Handled = true;
      Guarded([&] { GotFocus(name); });
      return result;
    }
    case WM_GETDLGCODE: {
      LRESULT result = modSubclass::CallPreviousProc(hwnd, msg, wParam, lParam);
      Handled = true;
      // Without a default button, Enter in a text box reaches it as a character.
      const MSG* key = reinterpret_cast<const MSG*>(lParam);
      if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN &&
          RoleControl(KeyRole::Default) == nullptr)
        result |= DLGC_WANTMESSAGE;
      return result;
    }
    case WM_CHAR: {
      int key = static_cast<int>(wParam & 0xFF);
      Guarded([&] { KeyPress(name, key); });
      Handled = true;
      if (key == 0 || !IsWindow(hwnd)) return 0;
      return modSubclass::CallPreviousProc(hwnd, msg, static_cast<WPARAM>(key & 0xFF), lParam);
    }
    default:
      return 0;
  }
}

bool Form::ChildNotice(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (msg) {
    case WM_COMMAND:
      Command(reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
      return true;
    case WM_HSCROLL:
    case WM_VSCROLL:
      Scrolled(reinterpret_cast<HWND>(lParam));
      return true;
    case WM_CTLCOLORSTATIC: {
      // A label of its own colours.
      const Control* control = ControlOfWindow(reinterpret_cast<HWND>(lParam));
      if (control == nullptr) return false;
      const ControlLayout& layout = *control->layout;
      if (layout.fore_color == kSystemColor && layout.back_color == kSystemColor) return false;
      HDC dc = reinterpret_cast<HDC>(wParam);
      if (layout.fore_color != kSystemColor) SetTextColor(dc, layout.fore_color);
      if (control->back_brush != nullptr) {
        SetBkColor(dc, layout.back_color);
        *result = reinterpret_cast<LRESULT>(control->back_brush);
      } else {
        SetBkMode(dc, TRANSPARENT);
        *result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      return true;
    }
    default:
      return false;
  }
}

LRESULT CALLBACK Form::FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    if (create != nullptr)
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  Form* form = reinterpret_cast<Form*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (form == nullptr || form->window_ != hwnd) return DefWindowProcA(hwnd, msg, wParam, lParam);
  if (LRESULT result = 0; form->ChildNotice(msg, wParam, lParam, &result)) return result;
  switch (msg) {
    case DM_GETDEFID:
      return form->DefaultButtonAnswer();
    case WM_ACTIVATE:
      form->Activated(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_CLOSE:
      form->Unload();
      return 0;
    case WM_NCDESTROY:
      // Destroyed from outside (its thread ending, say): the form lets go of the window.
      form->Forget();
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK Form::ContainerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Form* form = reinterpret_cast<Form*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  // What the controls of a frame or picture box tell their parent goes to the form.
  LRESULT result = 0;
  if (form != nullptr && form->window_ != nullptr &&
      form->ChildNotice(msg, wParam, lParam, &result))
    return result;
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace tarnivo::forms
