// modSubclass against the real user32 under Wine and against the Linux back end: the
// window properties it keeps, the order clients are called in, the Handled rules, the
// previous procedure, and what happens when clients change the list while it is walked or
// a window is destroyed while hooked.
#include "ui/controls/mod_subclass.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tarnivo {
namespace {

using modSubclass::CallPreviousProc;
using modSubclass::HookMessage;
using modSubclass::SubclassProc;
using modSubclass::UnhookMessage;

const char kClass[] = "TarnivoSubclassTestWindow";
constexpr UINT kFirst = WM_USER + 1;
constexpr UINT kSecond = WM_USER + 2;
constexpr UINT kOther = WM_USER + 3;
constexpr LRESULT kOwnAnswer = 1000;

// What happened, in order: client names and "own" for the window's own procedure.
std::vector<std::string> g_log;
HWND g_own_window = nullptr;  // the window of the own procedure's last probe
WPARAM g_own_wparam = 0;
// Seen by the own procedure during WM_NCDESTROY.
bool g_nc_seen = false;
bool g_nc_own_procedure = false;
std::vector<std::string> g_nc_names;

bool IsProbe(UINT msg) { return msg >= kFirst && msg <= kOther; }

BOOL CALLBACK CollectName(HWND hwnd, LPSTR name, HANDLE value, ULONG_PTR param) {
  (void)hwnd;
  (void)value;
  if (reinterpret_cast<std::uintptr_t>(name) > 0xFFFF) {
    reinterpret_cast<std::vector<std::string>*>(param)->push_back(name);
  }
  return TRUE;
}

LRESULT CALLBACK OwnProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (IsProbe(msg)) {
    g_log.push_back("own");
    g_own_window = hwnd;
    g_own_wparam = wParam;
    return kOwnAnswer + static_cast<LRESULT>(msg - WM_USER);
  }
  if (msg == WM_NCDESTROY) {
    g_nc_seen = true;
    g_nc_own_procedure =
        reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC)) == &OwnProc;
    g_nc_names.clear();
    EnumPropsExA(hwnd, CollectName, reinterpret_cast<LPARAM>(&g_nc_names));
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK SecondProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (IsProbe(msg)) {
    g_log.push_back("second");
    return 2000;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// --- Reading the service's properties as the design names them ---

// H: the handle as signed 32-bit decimal text.
std::string H(HWND hwnd) {
  const auto bits = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(hwnd));
  return std::to_string(static_cast<std::int32_t>(bits));
}

std::string M(UINT msg) { return std::to_string(static_cast<std::int32_t>(msg)); }

LONG_PTR Prop(HWND hwnd, const std::string& name) {
  return reinterpret_cast<LONG_PTR>(GetPropA(hwnd, name.c_str()));
}

LONG_PTR PairCount(HWND hwnd) { return Prop(hwnd, "C" + H(hwnd)); }
LONG_PTR ClientCount(HWND hwnd, UINT msg) { return Prop(hwnd, H(hwnd) + "#" + M(msg) + "C"); }
LONG_PTR Entry(HWND hwnd, UINT msg, int index) {
  return Prop(hwnd, H(hwnd) + "#" + M(msg) + "#" + std::to_string(index));
}

WNDPROC ProcOf(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
}

// Every property of the window, names in lower case.
std::map<std::string, LONG_PTR> AllProps(HWND hwnd) {
  std::vector<std::string> names;
  EnumPropsExA(hwnd, CollectName, reinterpret_cast<LPARAM>(&names));
  std::map<std::string, LONG_PTR> out;
  for (std::string name : names) {
    const LONG_PTR value = Prop(hwnd, name);
    for (char& c : name) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    out[name] = value;
  }
  return out;
}

// The names among `names` that belong to the service's record of `hwnd`.
std::vector<std::string> ServiceNames(const std::vector<std::string>& names, HWND hwnd) {
  std::vector<std::string> out;
  for (const std::string& name : names) {
    if (name == H(hwnd) || name == "C" + H(hwnd) || name == "c" + H(hwnd) ||
        name.rfind(H(hwnd) + "#", 0) == 0) {
      out.push_back(name);
    }
  }
  return out;
}

class Client : public ISubclass {
 public:
  explicit Client(std::string name, LRESULT answer = 0) : name_(std::move(name)), answer_(answer) {}

  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled) override {
    g_log.push_back(name_);
    Handled = handled;
    LRESULT result = answer_;
    if (action) result = action(hwnd, msg, wParam, lParam);
    if (throws) throw std::runtime_error("client failed");
    return result;
  }

  LONG_PTR Address() { return reinterpret_cast<LONG_PTR>(static_cast<ISubclass*>(this)); }

  bool handled = false;
  bool throws = false;
  std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> action;

 private:
  std::string name_;
  LRESULT answer_;
};

// A client that keeps the interface's own handler.
class Silent : public ISubclass {};

class SubclassTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = OwnProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
    g_log.clear();
    g_own_window = nullptr;
    g_own_wparam = 0;
    g_nc_seen = false;
    g_nc_own_procedure = false;
    g_nc_names.clear();
    window_ = Make();
    ASSERT_NE(window_, nullptr);
  }

  void TearDown() override {
    for (HWND hwnd : made_) {
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
    }
    EXPECT_TRUE(UnregisterClassA(kClass, GetModuleHandleA(nullptr)));
  }

  HWND Make() {
    HWND hwnd = CreateWindowExA(0, kClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    if (hwnd != nullptr) made_.push_back(hwnd);
    return hwnd;
  }

  // Sends a probe to the window and returns its result, with the log of it.
  LRESULT Send(UINT msg, WPARAM wParam = 0, HWND hwnd = nullptr) {
    g_log.clear();
    return SendMessageA(hwnd != nullptr ? hwnd : window_, msg, wParam, 0);
  }

  std::vector<std::string> Log() const { return g_log; }

  HWND window_ = nullptr;
  std::vector<HWND> made_;
};

using Names = std::vector<std::string>;

TEST_F(SubclassTest, FirstHookReplacesTheProcedureAndOthersOnlyRaiseTheCounts) {
  Client a("A");
  Client b("B");
  const LONG_PTR own = reinterpret_cast<LONG_PTR>(&OwnProc);
  EXPECT_EQ(ProcOf(window_), &OwnProc);

  HookMessage(&a, window_, kFirst);
  EXPECT_EQ(ProcOf(window_), &SubclassProc);
  EXPECT_EQ(Prop(window_, H(window_)), own);  // the previous procedure, pointer-sized
  EXPECT_EQ(PairCount(window_), 1);
  EXPECT_EQ(ClientCount(window_, kFirst), 1);
  EXPECT_EQ(Entry(window_, kFirst, 1), a.Address());

  // A second message of the same client.
  HookMessage(&a, window_, kSecond);
  EXPECT_EQ(ProcOf(window_), &SubclassProc);
  EXPECT_EQ(Prop(window_, H(window_)), own);
  EXPECT_EQ(PairCount(window_), 2);
  EXPECT_EQ(ClientCount(window_, kSecond), 1);
  EXPECT_EQ(Entry(window_, kSecond, 1), a.Address());

  // A second client of the first message goes to the end of its list.
  HookMessage(&b, window_, kFirst);
  EXPECT_EQ(Prop(window_, H(window_)), own);
  EXPECT_EQ(PairCount(window_), 3);
  EXPECT_EQ(ClientCount(window_, kFirst), 2);
  EXPECT_EQ(Entry(window_, kFirst, 1), a.Address());
  EXPECT_EQ(Entry(window_, kFirst, 2), b.Address());

  // The names as they are written: WM_COMMAND is message 273.
  HookMessage(&b, window_, WM_COMMAND);
  EXPECT_EQ(Prop(window_, H(window_) + "#273C"), 1);
  EXPECT_EQ(Prop(window_, H(window_) + "#273#1"), b.Address());

  UnhookMessage(&a, window_, kFirst);
  UnhookMessage(&a, window_, kSecond);
  UnhookMessage(&b, window_, kFirst);
  UnhookMessage(&b, window_, WM_COMMAND);
  EXPECT_EQ(ProcOf(window_), &OwnProc);
}

TEST_F(SubclassTest, UnhookingTheLastPairPutsTheProcedureBackAndLeavesCountsOfZero) {
  Client a("A");
  Client b("B");
  HookMessage(&a, window_, kFirst);
  HookMessage(&b, window_, kFirst);
  HookMessage(&a, window_, kSecond);

  UnhookMessage(&b, window_, kFirst);
  EXPECT_EQ(ProcOf(window_), &SubclassProc);
  EXPECT_EQ(PairCount(window_), 2);
  EXPECT_EQ(ClientCount(window_, kFirst), 1);
  EXPECT_EQ(Entry(window_, kFirst, 2), 0);

  UnhookMessage(&a, window_, kSecond);
  EXPECT_EQ(PairCount(window_), 1);
  EXPECT_EQ(ProcOf(window_), &SubclassProc);

  UnhookMessage(&a, window_, kFirst);
  EXPECT_EQ(ProcOf(window_), &OwnProc);
  // H, "C" H and the last entry are gone; the messages' client counts stay, holding 0.
  const std::map<std::string, LONG_PTR> expected{{H(window_) + "#" + M(kFirst) + "c", 0},
                                                 {H(window_) + "#" + M(kSecond) + "c", 0}};
  EXPECT_EQ(AllProps(window_), expected);

  // Messages go straight to the window's own procedure again.
  EXPECT_EQ(Send(kFirst), kOwnAnswer + 1);
  EXPECT_EQ(Log(), Names{"own"});

  // The window can be hooked again from there.
  HookMessage(&b, window_, kFirst);
  EXPECT_EQ(ProcOf(window_), &SubclassProc);
  EXPECT_EQ(PairCount(window_), 1);
  EXPECT_EQ(Entry(window_, kFirst, 1), b.Address());
  EXPECT_EQ(Send(kFirst), kOwnAnswer + 1);
  EXPECT_EQ(Log(), (Names{"B", "own"}));
  UnhookMessage(&b, window_, kFirst);
}

TEST_F(SubclassTest, MessageWithoutClientsGoesStraightToTheWindowsProcedure) {
  Client a("A", 7);
  HookMessage(&a, window_, kFirst);
  EXPECT_EQ(Send(kOther, 33), kOwnAnswer + 3);
  EXPECT_EQ(Log(), Names{"own"});
  EXPECT_EQ(g_own_wparam, 33u);
  EXPECT_EQ(g_own_window, window_);
  UnhookMessage(&a, window_, kFirst);
}

TEST_F(SubclassTest, ClientsAreCalledInHookOrderAndTheLastOneDecides) {
  struct Case {
    bool first_handled;
    bool second_handled;
    Names log;
    LRESULT result;
  };
  const Case cases[] = {
      {false, false, {"A", "B", "own"}, kOwnAnswer + 1},
      // Only the first sets Handled: the window's procedure still runs, once, after B.
      {true, false, {"A", "B", "own"}, kOwnAnswer + 1},
      // The second sets Handled: the window's procedure does not run, whatever A said.
      {false, true, {"A", "B"}, 22},
      {true, true, {"A", "B"}, 22},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.first_handled << c.second_handled);
    Client a("A", 11);
    Client b("B", 22);
    a.handled = c.first_handled;
    b.handled = c.second_handled;
    HookMessage(&a, window_, kFirst);
    HookMessage(&b, window_, kFirst);
    EXPECT_EQ(Send(kFirst), c.result);
    EXPECT_EQ(Log(), c.log);
    UnhookMessage(&a, window_, kFirst);
    UnhookMessage(&b, window_, kFirst);
    EXPECT_EQ(ProcOf(window_), &OwnProc);
  }
}

TEST_F(SubclassTest, OneClientDecidesAloneAndTheDefaultHandlerPassesTheMessageOn) {
  Client a("A", 5);
  a.handled = true;
  HookMessage(&a, window_, kFirst);
  EXPECT_EQ(Send(kFirst), 5);
  EXPECT_EQ(Log(), Names{"A"});
  UnhookMessage(&a, window_, kFirst);

  Silent silent;
  HookMessage(&silent, window_, kFirst);
  EXPECT_EQ(Send(kFirst), kOwnAnswer + 1);
  EXPECT_EQ(Log(), Names{"own"});
  UnhookMessage(&silent, window_, kFirst);
  EXPECT_EQ(ProcOf(window_), &OwnProc);
}

TEST_F(SubclassTest, UnhookingTheFirstOfThreeKeepsTheOtherTwoInOrder) {
  Client a("A");
  Client b("B");
  Client c("C");
  for (Client* client : {&a, &b, &c}) HookMessage(client, window_, kFirst);
  UnhookMessage(&a, window_, kFirst);
  EXPECT_EQ(ClientCount(window_, kFirst), 2);
  EXPECT_EQ(Entry(window_, kFirst, 1), b.Address());
  EXPECT_EQ(Entry(window_, kFirst, 2), c.Address());
  EXPECT_EQ(Entry(window_, kFirst, 3), 0);
  EXPECT_EQ(PairCount(window_), 2);
  Send(kFirst);
  EXPECT_EQ(Log(), (Names{"B", "C", "own"}));

  // The middle one, too.
  HookMessage(&a, window_, kFirst);
  UnhookMessage(&c, window_, kFirst);
  Send(kFirst);
  EXPECT_EQ(Log(), (Names{"B", "A", "own"}));
  UnhookMessage(&b, window_, kFirst);
  UnhookMessage(&a, window_, kFirst);
  EXPECT_EQ(ProcOf(window_), &OwnProc);
}

TEST_F(SubclassTest, CallPreviousProcReachesTheWindowsOwnProcedure) {
  Client a("A");
  a.handled = true;
  a.action = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallPreviousProc(hwnd, msg, wParam + 1, lParam) + 1;
  };
  HookMessage(&a, window_, kFirst);
  EXPECT_EQ(Send(kFirst, 40), kOwnAnswer + 2);
  EXPECT_EQ(Log(), (Names{"A", "own"}));
  EXPECT_EQ(g_own_wparam, 41u);

  // Outside a client there is no previous procedure: nothing is called.
  g_log.clear();
  EXPECT_EQ(CallPreviousProc(window_, kFirst, 0, 0), 0);
  EXPECT_TRUE(g_log.empty());
  UnhookMessage(&a, window_, kFirst);
}

TEST_F(SubclassTest, CallPreviousProcAfterSendingToAnotherHookedWindow) {
  // The second window has a procedure of its own kind.
  HWND second = Make();
  SetWindowLongPtrA(second, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SecondProc));
  Client inner("inner");
  inner.action = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallPreviousProc(hwnd, msg, wParam, lParam);
  };
  inner.handled = true;
  HookMessage(&inner, second, kSecond);

  // The client sends a message to another hooked window, then asks for its own window's
  // previous procedure.
  Client outer("outer");
  outer.handled = true;
  outer.action = [second](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    SendMessageA(second, kSecond, 0, 0);
    return CallPreviousProc(hwnd, msg, wParam, lParam);
  };
  HookMessage(&outer, window_, kFirst);
  EXPECT_EQ(Send(kFirst), kOwnAnswer + 1);
  EXPECT_EQ(Log(), (Names{"outer", "inner", "second", "own"}));
  EXPECT_EQ(g_own_window, window_);
  UnhookMessage(&outer, window_, kFirst);
  UnhookMessage(&inner, second, kSecond);
}

TEST_F(SubclassTest, HookingTwiceOrUnhookingWhatIsNotHookedChangesNothing) {
  Client a("A");
  Client b("B");
  HookMessage(&a, window_, kFirst);
  HookMessage(&a, window_, kSecond);
  HookMessage(&a, window_, kFirst);  // hooked already
  EXPECT_EQ(PairCount(window_), 2);
  EXPECT_EQ(ClientCount(window_, kFirst), 1);
  EXPECT_EQ(Entry(window_, kFirst, 2), 0);
  Send(kFirst);
  EXPECT_EQ(Log(), (Names{"A", "own"}));

  // Pairs that were never hooked: another client, a message without a list, a window the
  // service never touched, no client at all.
  HWND plain = Make();
  UnhookMessage(&b, window_, kFirst);
  UnhookMessage(&a, window_, kOther);
  UnhookMessage(&a, plain, kFirst);
  UnhookMessage(nullptr, window_, kFirst);
  HookMessage(nullptr, window_, kFirst);
  EXPECT_EQ(PairCount(window_), 2);
  EXPECT_EQ(ClientCount(window_, kFirst), 1);
  EXPECT_EQ(ProcOf(window_), &SubclassProc);
  EXPECT_EQ(ProcOf(plain), &OwnProc);
  EXPECT_TRUE(AllProps(plain).empty());

  // So the pair count still says when the procedure goes back: not after the first of the
  // two real pairs.
  UnhookMessage(&a, window_, kFirst);
  EXPECT_EQ(ProcOf(window_), &SubclassProc);
  Send(kSecond);
  EXPECT_EQ(Log(), (Names{"A", "own"}));
  UnhookMessage(&a, window_, kFirst);  // a second time: not hooked any more
  EXPECT_EQ(PairCount(window_), 1);
  UnhookMessage(&a, window_, kSecond);
  EXPECT_EQ(ProcOf(window_), &OwnProc);
  EXPECT_EQ(PairCount(window_), 0);
  UnhookMessage(&a, window_, kSecond);
  EXPECT_EQ(ProcOf(window_), &OwnProc);
  EXPECT_EQ(Prop(window_, H(window_)), 0);
}

TEST_F(SubclassTest, HookingAGoneWindowDoesNothing) {
  HWND gone = Make();
  DestroyWindow(gone);
  Client a("A");
  HookMessage(&a, gone, kFirst);
  UnhookMessage(&a, gone, kFirst);
  EXPECT_FALSE(IsWindow(gone));
  EXPECT_EQ(ProcOf(window_), &OwnProc);
}

TEST_F(SubclassTest, ClientThatUnhooksItselfWhileTheListIsWalked) {
  Client a("A");
  Client b("B", 2);
  Client c("C", 3);
  a.action = [&a](HWND hwnd, UINT msg, WPARAM, LPARAM) {
    UnhookMessage(&a, hwnd, msg);
    return LRESULT{1};
  };
  c.handled = true;
  for (Client* client : {&a, &b, &c}) HookMessage(client, window_, kFirst);
  // B and C moved down a place while A ran; neither is skipped, and C still decides.
  EXPECT_EQ(Send(kFirst), 3);
  EXPECT_EQ(Log(), (Names{"A", "B", "C"}));
  EXPECT_EQ(Send(kFirst), 3);
  EXPECT_EQ(Log(), (Names{"B", "C"}));
  EXPECT_EQ(PairCount(window_), 2);
  UnhookMessage(&b, window_, kFirst);
  UnhookMessage(&c, window_, kFirst);
  EXPECT_EQ(ProcOf(window_), &OwnProc);
}

TEST_F(SubclassTest, ClientUnhookedAndFreedByAnotherIsNotCalled) {
  Client a("A");
  auto b = std::make_unique<Client>("B");
  Client c("C");
  a.action = [&b](HWND hwnd, UINT msg, WPARAM, LPARAM) {
    UnhookMessage(b.get(), hwnd, msg);
    b.reset();  // a call to it now would read freed memory
    return LRESULT{1};
  };
  for (Client* client : {&a, b.get(), &c}) HookMessage(client, window_, kFirst);
  EXPECT_EQ(Send(kFirst), kOwnAnswer + 1);
  EXPECT_EQ(Log(), (Names{"A", "C", "own"}));
  UnhookMessage(&a, window_, kFirst);
  UnhookMessage(&c, window_, kFirst);
  EXPECT_EQ(ProcOf(window_), &OwnProc);
}

TEST_F(SubclassTest, WhenTheLastClientIsUnhookedTheLastOneCalledDecides) {
  for (bool middle_handled : {false, true}) {
    SCOPED_TRACE(middle_handled);
    Client a("A");
    Client b("B", 2);
    Client c("C", 3);
    c.handled = true;
    b.handled = middle_handled;
    a.action = [&c](HWND hwnd, UINT msg, WPARAM, LPARAM) {
      UnhookMessage(&c, hwnd, msg);
      return LRESULT{1};
    };
    for (Client* client : {&a, &b, &c}) HookMessage(client, window_, kFirst);
    EXPECT_EQ(Send(kFirst), middle_handled ? 2 : kOwnAnswer + 1);
    EXPECT_EQ(Log(), middle_handled ? (Names{"A", "B"}) : (Names{"A", "B", "own"}));
    UnhookMessage(&a, window_, kFirst);
    UnhookMessage(&b, window_, kFirst);
    EXPECT_EQ(ProcOf(window_), &OwnProc);
  }
}

TEST_F(SubclassTest, ClientThatUnhooksTheWindowsLastPairWhileTheListIsWalked) {
  Client a("A", 1);
  Client b("B", 2);
  a.action = [&a, &b](HWND hwnd, UINT msg, WPARAM, LPARAM) {
    UnhookMessage(&b, hwnd, msg);
    UnhookMessage(&a, hwnd, msg);
    return LRESULT{1};
  };
  HookMessage(&a, window_, kFirst);
  HookMessage(&b, window_, kFirst);
  // The procedure went back while A ran; the window's own still gets this message once.
  EXPECT_EQ(Send(kFirst), kOwnAnswer + 1);
  EXPECT_EQ(Log(), (Names{"A", "own"}));
  EXPECT_EQ(ProcOf(window_), &OwnProc);
  EXPECT_EQ(Send(kFirst), kOwnAnswer + 1);
  EXPECT_EQ(Log(), Names{"own"});
}

TEST_F(SubclassTest, ClientHookedWhileTheListIsWalkedWaitsForTheNextMessage) {
  Client a("A");
  Client d("D");
  bool added = false;
  a.action = [&d, &added](HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (!added) HookMessage(&d, hwnd, msg);
    added = true;
    return LRESULT{1};
  };
  HookMessage(&a, window_, kFirst);
  Send(kFirst);
  EXPECT_EQ(Log(), (Names{"A", "own"}));
  Send(kFirst);
  EXPECT_EQ(Log(), (Names{"A", "D", "own"}));
  UnhookMessage(&a, window_, kFirst);
  UnhookMessage(&d, window_, kFirst);
  EXPECT_EQ(ProcOf(window_), &OwnProc);
}

TEST_F(SubclassTest, FailingClientLeavesTheResultAsItWas) {
  Client a("A", 5);
  Client b("B", 6);
  b.handled = true;
  b.throws = true;
  HookMessage(&a, window_, kFirst);
  HookMessage(&b, window_, kFirst);
  EXPECT_EQ(Send(kFirst), 5);
  EXPECT_EQ(Log(), (Names{"A", "B"}));

  // A failing client that left Handled false: the window's procedure runs after it.
  b.handled = false;
  EXPECT_EQ(Send(kFirst), kOwnAnswer + 1);
  EXPECT_EQ(Log(), (Names{"A", "B", "own"}));
  UnhookMessage(&a, window_, kFirst);
  UnhookMessage(&b, window_, kFirst);
}

TEST_F(SubclassTest, WindowDestroyedWhileHookedGetsItsProcedureBackAndLosesTheRecord) {
  Client a("A");
  Client b("B");
  HookMessage(&a, window_, kFirst);
  HookMessage(&a, window_, WM_NCDESTROY);
  HookMessage(&b, window_, kSecond);
  const HWND gone = window_;
  g_log.clear();
  ASSERT_TRUE(DestroyWindow(gone));

  // The client hooked to WM_NCDESTROY heard it; the window's own procedure then found
  // itself back in place and none of the service's properties left.
  EXPECT_EQ(Log(), Names{"A"});
  EXPECT_TRUE(g_nc_seen);
  EXPECT_TRUE(g_nc_own_procedure);
  EXPECT_EQ(ServiceNames(g_nc_names, gone), Names{});

  // The clients unhooking afterwards do no harm, and the service goes on with new windows.
  UnhookMessage(&a, gone, kFirst);
  UnhookMessage(&a, gone, WM_NCDESTROY);
  UnhookMessage(&b, gone, kSecond);
  HWND fresh = Make();
  HookMessage(&a, fresh, kFirst);
  EXPECT_EQ(ProcOf(fresh), &SubclassProc);
  EXPECT_EQ(PairCount(fresh), 1);
  EXPECT_EQ(Send(kFirst, 0, fresh), kOwnAnswer + 1);
  EXPECT_EQ(Log(), (Names{"A", "own"}));
  UnhookMessage(&a, fresh, kFirst);
  EXPECT_EQ(ProcOf(fresh), &OwnProc);
}

TEST_F(SubclassTest, ClientThatUnhooksOnNcDestroyLeavesNothingBehind) {
  Client a("A");
  a.action = [&a](HWND hwnd, UINT msg, WPARAM, LPARAM) {
    UnhookMessage(&a, hwnd, msg);
    return LRESULT{0};
  };
  HookMessage(&a, window_, WM_NCDESTROY);
  const HWND gone = window_;
  ASSERT_TRUE(DestroyWindow(gone));
  EXPECT_TRUE(g_nc_seen);
  EXPECT_TRUE(g_nc_own_procedure);
  // Only the message's client count, holding 0, is left for the window to take with it.
  EXPECT_EQ(ServiceNames(g_nc_names, gone), Names{H(gone) + "#" + M(WM_NCDESTROY) + "C"});
}

TEST_F(SubclassTest, ClientThatDestroysTheWindowStopsTheWalk) {
  Client a("A", 1);
  Client b("B", 2);
  a.action = [](HWND hwnd, UINT, WPARAM, LPARAM) {
    DestroyWindow(hwnd);
    return LRESULT{1};
  };
  a.handled = true;
  HookMessage(&a, window_, kFirst);
  HookMessage(&b, window_, kFirst);
  const HWND gone = window_;
  EXPECT_EQ(Send(kFirst), 1);
  // B lost its hook with the window and is not called for a window that is gone.
  EXPECT_EQ(Log(), Names{"A"});
  EXPECT_FALSE(IsWindow(gone));
  EXPECT_TRUE(g_nc_own_procedure);
  UnhookMessage(&a, gone, kFirst);
  UnhookMessage(&b, gone, kFirst);
}

}  // namespace
}  // namespace tarnivo
