// Message sequences for conformance tests: the recorder, the comparison and the report.
#include "support/message_sequence.h"

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <utility>

namespace message_sequence {
namespace {

Recorder* g_current = nullptr;

// What Wine sends and the Linux back end does not model: painting, sizing and the non-client
// area, the caption's WM_GETTEXT, the IME, cursors and mouse moves, colours, UI cues,
// WM_PARENTNOTIFY, WM_MOVE and WM_SIZE.
bool LeftOutByDefault(UINT message) {
  switch (message) {
    case 0x0003:  // WM_MOVE
    case 0x0005:  // WM_SIZE
    case 0x000D:  // WM_GETTEXT
    case 0x000F:  // WM_PAINT
    case 0x0014:  // WM_ERASEBKGND
    case 0x0020:  // WM_SETCURSOR
    case 0x0024:  // WM_GETMINMAXINFO
    case 0x003D:  // WM_GETOBJECT
    case 0x0046:  // WM_WINDOWPOSCHANGING
    case 0x0047:  // WM_WINDOWPOSCHANGED
    case 0x007F:  // WM_GETICON
    case 0x0083:  // WM_NCCALCSIZE
    case 0x0084:  // WM_NCHITTEST
    case 0x0085:  // WM_NCPAINT
    case 0x0088:  // WM_SYNCPAINT
    case 0x00A0:  // WM_NCMOUSEMOVE
    case 0x0127:  // WM_CHANGEUISTATE
    case 0x0128:  // WM_UPDATEUISTATE
    case 0x0129:  // WM_QUERYUISTATE
    case 0x0200:  // WM_MOUSEMOVE
    case 0x0210:  // WM_PARENTNOTIFY
    case 0x02A2:  // WM_NCMOUSELEAVE
    case 0x02A3:  // WM_MOUSELEAVE
    case 0x030F:  // WM_QUERYNEWPALETTE
    case 0x0318:  // WM_PRINTCLIENT
    case 0x031F:  // WM_DWMNCRENDERINGCHANGED
      return true;
    default:
      break;
  }
  if (message >= 0x0132 && message <= 0x0138) return true;  // WM_CTLCOLOR...
  if (message >= 0x010D && message <= 0x010F) return true;  // WM_IME_STARTCOMPOSITION...
  if (message >= 0x0281 && message <= 0x0291) return true;  // WM_IME_SETCONTEXT...
  return false;
}

std::string Hex(unsigned long long value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", value);
  return text;
}

}  // namespace

Expected Expected::W(WPARAM value) const {
  Expected copy = *this;
  copy.check_wparam = true;
  copy.wparam = value;
  return copy;
}

Expected Expected::L(LPARAM value) const {
  Expected copy = *this;
  copy.check_lparam = true;
  copy.lparam = value;
  return copy;
}

Expected Expected::L(HWND value) const { return L(reinterpret_cast<LPARAM>(value)); }

Expected Expected::Optional() const {
  Expected copy = *this;
  copy.optional = true;
  return copy;
}

Expected Msg(HWND window, UINT message) {
  Expected expected;
  expected.window = window;
  expected.message = message;
  return expected;
}

Expected Command(HWND parent, int id, int code, HWND control) {
  return Msg(parent, WM_COMMAND).W(MAKEWPARAM(id, code)).L(control);
}

std::string MessageName(UINT message) {
  static const std::map<UINT, const char*> kNames = {
      {0x0001, "WM_CREATE"},         {0x0002, "WM_DESTROY"},
      {0x0003, "WM_MOVE"},           {0x0005, "WM_SIZE"},
      {0x0006, "WM_ACTIVATE"},       {0x0007, "WM_SETFOCUS"},
      {0x0008, "WM_KILLFOCUS"},      {0x000A, "WM_ENABLE"},
      {0x000C, "WM_SETTEXT"},        {0x000D, "WM_GETTEXT"},
      {0x000E, "WM_GETTEXTLENGTH"},  {0x0010, "WM_CLOSE"},
      {0x000F, "WM_PAINT"},          {0x0014, "WM_ERASEBKGND"},
      {0x0012, "WM_QUIT"},           {0x0018, "WM_SHOWWINDOW"},
      {0x002B, "WM_DRAWITEM"},       {0x0030, "WM_SETFONT"},
      {0x0031, "WM_GETFONT"},        {0x0135, "WM_CTLCOLORBTN"},
      {0x001C, "WM_ACTIVATEAPP"},    {0x001F, "WM_CANCELMODE"},
      {0x0020, "WM_SETCURSOR"},      {0x0021, "WM_MOUSEACTIVATE"},
      {0x0028, "WM_NEXTDLGCTL"},     {0x004E, "WM_NOTIFY"},
      {0x0081, "WM_NCCREATE"},       {0x0082, "WM_NCDESTROY"},
      {0x0084, "WM_NCHITTEST"},      {0x0086, "WM_NCACTIVATE"},
      {0x0087, "WM_GETDLGCODE"},     {0x00B0, "EM_GETSEL"},
      {0x00B1, "EM_SETSEL"},         {0x00C2, "EM_REPLACESEL"},
      {0x00F0, "BM_GETCHECK"},       {0x00F1, "BM_SETCHECK"},
      {0x00F2, "BM_GETSTATE"},       {0x00F3, "BM_SETSTATE"},
      {0x00F4, "BM_SETSTYLE"},       {0x00F5, "BM_CLICK"},
      {0x0100, "WM_KEYDOWN"},        {0x0101, "WM_KEYUP"},
      {0x0102, "WM_CHAR"},           {0x0104, "WM_SYSKEYDOWN"},
      {0x0105, "WM_SYSKEYUP"},       {0x0106, "WM_SYSCHAR"},
      {0x0111, "WM_COMMAND"},        {0x0112, "WM_SYSCOMMAND"},
      {0x0113, "WM_TIMER"},          {0x014E, "CB_SETCURSEL"},
      {0x014F, "CB_SHOWDROPDOWN"},   {0x0157, "CB_GETDROPPEDSTATE"},
      {0x0200, "WM_MOUSEMOVE"},      {0x0201, "WM_LBUTTONDOWN"},
      {0x0202, "WM_LBUTTONUP"},      {0x0210, "WM_PARENTNOTIFY"},
      {0x0215, "WM_CAPTURECHANGED"}, {0x0400, "WM_USER/DM_GETDEFID"},
  };
  // The list box's messages and the others its tests and the trackbar's see.
  static const std::map<UINT, const char*> kListNames = {
      {0x000B, "WM_SETREDRAW"},     {0x0114, "WM_HSCROLL"},         {0x0115, "WM_VSCROLL"},
      {0x0131, "WM_LBTRACKPOINT"},  {0x0203, "WM_LBUTTONDBLCLK"},   {0x0180, "LB_ADDSTRING"},
      {0x0181, "LB_INSERTSTRING"},  {0x0182, "LB_DELETESTRING"},    {0x0184, "LB_RESETCONTENT"},
      {0x0186, "LB_SETCURSEL"},     {0x0188, "LB_GETCURSEL"},       {0x0189, "LB_GETTEXT"},
      {0x018A, "LB_GETTEXTLEN"},    {0x018B, "LB_GETCOUNT"},        {0x018C, "LB_SELECTSTRING"},
      {0x018E, "LB_GETTOPINDEX"},   {0x018F, "LB_FINDSTRING"},      {0x0197, "LB_SETTOPINDEX"},
      {0x0198, "LB_GETITEMRECT"},   {0x0199, "LB_GETITEMDATA"},     {0x019A, "LB_SETITEMDATA"},
      {0x01A1, "LB_GETITEMHEIGHT"}, {0x01A2, "LB_FINDSTRINGEXACT"}, {0x01A8, "LB_INITSTORAGE"},
  };
  for (const auto* names : {&kNames, &kListNames}) {
    const auto found = names->find(message);
    if (found != names->end()) return found->second;
  }
  if (message >= 0x8000 && message < 0xC000) return "WM_APP+" + std::to_string(message - 0x8000);
  return Hex(message);
}

Recorder::Recorder() : previous_(g_current) { g_current = this; }

Recorder::~Recorder() {
  for (const auto& entry : subclassed_) {
    if (IsWindow(entry.first)) {
      SetWindowLongPtrA(entry.first, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.second));
    }
  }
  g_current = previous_;
}

Recorder* Recorder::Current() { return g_current; }

void Recorder::Name(HWND window, const std::string& name) { names_[window] = name; }

std::string Recorder::NameOf(HWND window) const {
  if (window == nullptr) return "none";
  const auto found = names_.find(window);
  if (found != names_.end()) return found->second;
  return Hex(reinterpret_cast<std::uintptr_t>(window));
}

void Recorder::Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (LeftOutByDefault(message) && kept_.count(message) == 0) return;
  messages_.push_back(Message{window, message, wParam, lParam});
}

void Recorder::Keep(UINT message) { kept_.insert(message); }

void Recorder::Subclass(HWND control) {
  if (subclassed_.count(control) != 0) return;
  const auto previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
  subclassed_[control] = previous;
}

void Recorder::Answer(UINT message, LRESULT result) { answers_[message] = result; }

void Recorder::Handle(std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> handler) {
  handler_ = std::move(handler);
}

std::vector<Message> Recorder::Take() {
  std::vector<Message> taken;
  taken.swap(messages_);
  return taken;
}

void Recorder::Clear() { messages_.clear(); }

LRESULT CALLBACK Recorder::RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Recorder* recorder = g_current;
  if (recorder != nullptr) {
    recorder->Record(window, message, wParam, lParam);
    LRESULT result = 0;
    if (recorder->handler_ && recorder->handler_(window, message, wParam, lParam, &result))
      return result;
    const auto answer = recorder->answers_.find(message);
    if (answer != recorder->answers_.end()) return answer->second;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK Recorder::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Recorder* recorder = g_current;
  WNDPROC next = nullptr;
  for (Recorder* each = recorder; each != nullptr && next == nullptr; each = each->previous_) {
    const auto found = each->subclassed_.find(window);
    if (found != each->subclassed_.end()) next = found->second;
  }
  if (recorder != nullptr) recorder->Record(window, message, wParam, lParam);
  if (next == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return CallWindowProcA(next, window, message, wParam, lParam);
}

std::string Recorder::Describe(const Message& message) const {
  std::ostringstream out;
  out << NameOf(message.window) << " " << MessageName(message.message);
  if (message.message == WM_COMMAND) {
    out << " id " << LOWORD(message.wParam) << " code " << Hex(HIWORD(message.wParam)) << " from "
        << NameOf(reinterpret_cast<HWND>(message.lParam));
    return out.str();
  }
  out << " w=" << Hex(message.wParam) << " l=";
  const auto l_window = reinterpret_cast<HWND>(message.lParam);
  if (names_.count(l_window) != 0) {
    out << NameOf(l_window);
  } else {
    out << Hex(static_cast<unsigned long long>(message.lParam));
  }
  return out.str();
}

std::string Recorder::Describe(const Expected& expected) const {
  std::ostringstream out;
  out << NameOf(expected.window) << " " << MessageName(expected.message);
  if (expected.message == WM_COMMAND && expected.check_wparam && expected.check_lparam) {
    out << " id " << LOWORD(expected.wparam) << " code " << Hex(HIWORD(expected.wparam)) << " from "
        << NameOf(reinterpret_cast<HWND>(expected.lparam));
  } else {
    out << " w=" << (expected.check_wparam ? Hex(expected.wparam) : std::string("*"));
    out << " l=";
    const auto l_window = reinterpret_cast<HWND>(expected.lparam);
    if (!expected.check_lparam) {
      out << "*";
    } else if (names_.count(l_window) != 0) {
      out << NameOf(l_window);
    } else {
      out << Hex(static_cast<unsigned long long>(expected.lparam));
    }
  }
  if (expected.optional) out << " (optional)";
  return out.str();
}

testing::AssertionResult Recorder::Matches(const std::vector<Expected>& expected) {
  return Matches(Take(), expected);
}

testing::AssertionResult Recorder::Matches(const std::vector<Message>& got,
                                           const std::vector<Expected>& expected) const {
  auto same = [](const Message& message, const Expected& wanted) {
    return message.window == wanted.window && message.message == wanted.message &&
           (!wanted.check_wparam || message.wParam == wanted.wparam) &&
           (!wanted.check_lparam || message.lParam == wanted.lparam);
  };
  std::size_t at_got = 0;
  std::size_t at_expected = 0;
  std::string difference;
  while (at_expected < expected.size()) {
    if (at_got < got.size() && same(got[at_got], expected[at_expected])) {
      ++at_got;
      ++at_expected;
    } else if (expected[at_expected].optional) {
      ++at_expected;
    } else {
      difference =
          at_got < got.size()
              ? "got " + Describe(got[at_got]) + ", expected " + Describe(expected[at_expected])
              : "the sequence ended, expected " + Describe(expected[at_expected]);
      break;
    }
  }
  if (difference.empty() && at_got < got.size()) {
    difference = "got " + Describe(got[at_got]) + " after the expected sequence";
  }
  if (difference.empty()) return testing::AssertionSuccess();
  std::ostringstream report;
  report << "first difference at message " << at_got << ": " << difference << "\ngot:\n";
  for (std::size_t i = 0; i < got.size(); ++i) {
    report << (i == at_got ? " > " : "   ") << i << " " << Describe(got[i]) << "\n";
  }
  report << "expected:\n";
  for (std::size_t i = 0; i < expected.size(); ++i) {
    report << (i == at_expected ? " > " : "   ") << i << " " << Describe(expected[i]) << "\n";
  }
  return testing::AssertionFailure() << report.str();
}

RecordingClass::RecordingClass(const char* name) : name_(name) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &Recorder::RecordingProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

RecordingClass::~RecordingClass() { UnregisterClassA(name_, GetModuleHandleA(nullptr)); }

}  // namespace message_sequence
