// Message queues and timers of the Linux back end, and the message loop tests run.
//
// Each thread has a queue of posted messages, a WM_QUIT flag and a queue of input (the
// user's keys and mouse buttons). Timers belong to a thread too (a window's timers to the
// window's thread). A timer is due when the virtual clock reaches its due time; reading the
// queue then finds one WM_TIMER for it however many intervals have passed, after every
// posted message, the WM_QUIT, the input and the WM_PAINT of a window that needs painting
// (painting.cpp), in that order, as Wine reads them. Taking that WM_TIMER out of the queue
// sets the timer's next due time to now + its interval. Taking an input message out moves
// its key in GetKeyState's state.
//
// GetMessageA that finds nothing calls the thread's input wait (backend::SetInputWait)
// before it lets time pass.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/drawing_internal.h"
#include "platform/linux/win32_api.h"

namespace {

using backend::internal::ClockNow;
using backend::internal::UserMutex;

// Ids Windows gives thread timers: counting down from 0x7FFF, past 0x100 back to the top.
constexpr UINT_PTR kFirstThreadTimerId = 0x7FFF;
constexpr UINT_PTR kLowestThreadTimerId = 0x101;
// Posted messages dispatched at one instant before RunPending gives up.
constexpr int kMostMessagesAtOnce = 100000;

struct Timer {
  std::thread::id thread;
  HWND window = nullptr;
  UINT_PTR id = 0;
  UINT interval = 0;
  TIMERPROC proc = nullptr;
  std::uint64_t due = 0;
  std::uint64_t order = 0;  // when it was set: breaks ties between timers due together
};

// An input message and the key it moves when it is read (0 for none). A key's message goes
// to the window that has the focus when it is read.
struct Input {
  MSG msg{};
  int key = 0;
  bool down = false;
  bool to_focus = false;
};

// A key message read when the thread's focus window (or, without one, its active window)
// is known: WM_KEYDOWN and WM_KEYUP become WM_SYSKEYDOWN and WM_SYSKEYUP for the active
// window. False when the thread has neither.
bool AimKeyLocked(MSG* msg) {
  const std::thread::id me = std::this_thread::get_id();
  if (HWND focus = backend::internal::FocusLocked(me)) {
    msg->hwnd = focus;
    return true;
  }
  HWND active = backend::internal::ActiveLocked(me);
  if (active == nullptr) return false;
  msg->hwnd = active;
  if (msg->message == WM_KEYDOWN) msg->message = WM_SYSKEYDOWN;
  if (msg->message == WM_KEYUP) msg->message = WM_SYSKEYUP;
  return true;
}

// A key that moves without its message reaching any window.
struct DroppedKey {
  int key;
  bool down;
};

struct Queue {
  std::deque<MSG> posted;
  std::deque<Input> input;
  bool quit = false;
  int quit_code = 0;
  UINT_PTR next_thread_timer = kFirstThreadTimerId;
};

struct MessageTable {
  std::map<std::thread::id, Queue> queues;
  std::vector<Timer> timers;
  std::uint64_t next_order = 0;
  // Every TIMERPROC a timer was set with: DispatchMessageA calls no other address.
  std::set<std::uintptr_t> timer_procs;
};

MessageTable& Table() {
  static MessageTable* table = new MessageTable;
  return *table;
}

Queue& QueueLocked(std::thread::id thread) { return Table().queues[thread]; }

bool InRange(UINT message, UINT low, UINT high) {
  if (low == 0 && high == 0) return true;
  return message >= low && message <= high;
}

// The window filter of PeekMessageA and GetMessageA: NULL takes everything of the
// thread, (HWND)-1 only thread messages, a window its own messages and its children's.
bool WindowMatchesLocked(HWND filter, HWND window) {
  if (filter == nullptr) return true;
  if (filter == reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1))) return window == nullptr;
  return window != nullptr && backend::internal::IsWindowOrDescendantLocked(filter, window);
}

bool IsThreadFilter(HWND filter) {
  return filter == nullptr || filter == reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));
}

MSG MakeMessageLocked(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = static_cast<DWORD>(ClockNow() & 0xFFFFFFFFu);
  msg.pt = backend::internal::CursorLocked();
  return msg;
}

// The timer of this thread that the filter lets through and that is due first (ties: the
// one set first); only timers due by `latest`.
Timer* FirstTimerLocked(HWND filter, UINT low, UINT high, std::uint64_t latest) {
  if (!InRange(WM_TIMER, low, high)) return nullptr;
  const std::thread::id me = std::this_thread::get_id();
  Timer* first = nullptr;
  for (Timer& timer : Table().timers) {
    if (timer.thread != me || timer.due > latest) continue;
    if (!WindowMatchesLocked(filter, timer.window)) continue;
    if (first == nullptr || timer.due < first->due ||
        (timer.due == first->due && timer.order < first->order)) {
      first = &timer;
    }
  }
  return first;
}

enum class Take { kMessage, kNothing, kBadWindow };

// Reads this thread's queue as PeekMessageA does: posted messages first, then WM_QUIT
// (whatever the filter), then input, then a due timer. `with_quit` false leaves WM_QUIT
// where it is. An input message taken out sets `*key` and `*down`; key messages that no
// window can take are dropped into `dropped`.
Take TakeMessageLocked(MSG* out, HWND filter, UINT low, UINT high, bool remove, bool with_quit,
                       int* key, bool* down, std::vector<DroppedKey>* dropped) {
  if (!IsThreadFilter(filter)) {
    backend::internal::WindowFacts facts;
    if (!backend::internal::FindWindowLocked(filter, &facts)) return Take::kBadWindow;
  }
  Queue& queue = QueueLocked(std::this_thread::get_id());
  for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
    if (!with_quit && it->message == WM_QUIT) continue;
    if (!InRange(it->message, low, high) || !WindowMatchesLocked(filter, it->hwnd)) continue;
    *out = *it;
    if (remove) queue.posted.erase(it);
    return Take::kMessage;
  }
  if (with_quit && queue.quit) {
    *out = MakeMessageLocked(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quit_code), 0);
    if (remove) queue.quit = false;
    return Take::kMessage;
  }
  for (auto it = queue.input.begin(); it != queue.input.end();) {
    MSG msg = it->msg;
    if (it->to_focus && !AimKeyLocked(&msg)) {
      if (!remove) {
        ++it;
        continue;
      }
      if (it->key != 0) dropped->push_back(DroppedKey{it->key, it->down});
      it = queue.input.erase(it);
      continue;
    }
    if (!InRange(msg.message, low, high) || !WindowMatchesLocked(filter, msg.hwnd)) {
      ++it;
      continue;
    }
    *out = msg;
    if (remove) {
      *key = it->key;
      *down = it->down;
      queue.input.erase(it);
    }
    return Take::kMessage;
  }
  // A window to paint, before the timers; it stays until it is validated.
  if (InRange(WM_PAINT, low, high) && filter != reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1))) {
    HWND window = backend::internal::WindowToPaintLocked(std::this_thread::get_id(), filter);
    if (window != nullptr) {
      *out = MakeMessageLocked(window, WM_PAINT, 0, 0);
      return Take::kMessage;
    }
  }
  const std::uint64_t now = ClockNow();
  if (Timer* timer = FirstTimerLocked(filter, low, high, now)) {
    *out = MakeMessageLocked(timer->window, WM_TIMER, timer->id,
                             reinterpret_cast<LPARAM>(timer->proc));
    if (remove) timer->due = now + timer->interval;
    return Take::kMessage;
  }
  return Take::kNothing;
}

Take TakeMessage(MSG* out, HWND filter, UINT low, UINT high, bool remove, bool with_quit) {
  int key = 0;
  bool down = false;
  std::vector<DroppedKey> dropped;
  Take taken = Take::kNothing;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    taken = TakeMessageLocked(out, filter, low, high, remove, with_quit, &key, &down, &dropped);
  }
  for (const DroppedKey& each : dropped) backend::internal::KeyRead(each.key, each.down);
  if (key != 0) backend::internal::KeyRead(key, down);
  return taken;
}

// The input wait of this thread, and whether it is running.
thread_local std::function<bool()> t_input_wait;
thread_local bool t_waiting = false;
// Times in a row an input wait may ask to look again without anything coming.
constexpr int kMostEmptyWaits = 100000;

// Calls the input wait, unless there is none or it is running already (a message loop
// inside it waits as without one). True when it asks to look at the queue again.
bool CallInputWait() {
  if (!t_input_wait || t_waiting) return false;
  std::function<bool()> wait = t_input_wait;
  t_waiting = true;
  struct Reset {
    ~Reset() { t_waiting = false; }
  } reset;
  return wait();
}

// Dispatches what is waiting, as a message loop would at this instant. False when it gave
// up on a handler that keeps posting.
bool DispatchWaiting() {
  MSG msg{};
  for (int count = 0; count < kMostMessagesAtOnce; ++count) {
    if (TakeMessage(&msg, nullptr, 0, 0, true, false) != Take::kMessage) return true;
    DispatchMessageA(&msg);
  }
  backend::internal::Report("message loop stopped after " + std::to_string(kMostMessagesAtOnce) +
                            " messages at one instant");
  return false;
}

struct ThreadCleanup {
  std::thread::id thread = std::this_thread::get_id();
  ~ThreadCleanup() {
    std::lock_guard<std::mutex> lock(UserMutex());
    backend::internal::ForgetThreadWindowsLocked(thread);
    backend::internal::ForgetThreadMessagesLocked(thread);
    backend::internal::ForgetThreadActivationLocked(thread);
  }
};

}  // namespace

namespace backend {

void SetInputWait(std::function<bool()> wait) { t_input_wait = std::move(wait); }

void RunPending() { DispatchWaiting(); }

void RunFor(unsigned milliseconds) {
  const std::uint64_t end = ClockNow() + milliseconds;
  while (DispatchWaiting()) {
    std::uint64_t next = 0;
    {
      std::lock_guard<std::mutex> lock(UserMutex());
      Timer* timer = FirstTimerLocked(nullptr, 0, 0, end);
      if (timer == nullptr) break;
      next = timer->due;
    }
    internal::AdvanceClockTo(next);
  }
  internal::AdvanceClockTo(end);
}

void ResetClock() {
  std::lock_guard<std::mutex> lock(UserMutex());
  const std::uint64_t was = internal::RestartClock();
  for (Timer& timer : Table().timers) timer.due = timer.due > was ? timer.due - was : 0;
}

}  // namespace backend

namespace backend::internal {

void EnsureThreadCleanup() {
  thread_local ThreadCleanup cleanup;
  (void)cleanup;
}

void ForgetWindowMessagesLocked(HWND window) {
  ForgetWindowPaintLocked(window);
  auto& timers = Table().timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(),
                              [window](const Timer& timer) { return timer.window == window; }),
               timers.end());
  for (auto& entry : Table().queues) {
    auto& posted = entry.second.posted;
    posted.erase(std::remove_if(posted.begin(), posted.end(),
                                [window](const MSG& msg) { return msg.hwnd == window; }),
                 posted.end());
    auto& input = entry.second.input;
    input.erase(std::remove_if(input.begin(), input.end(),
                               [window](const Input& each) { return each.msg.hwnd == window; }),
                input.end());
  }
}

bool PostInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int key, bool down) {
  EnsureThreadCleanup();
  std::lock_guard<std::mutex> lock(UserMutex());
  WindowFacts facts;
  if (!FindWindowLocked(window, &facts)) return false;
  Input input;
  input.msg = MakeMessageLocked(window, message, wParam, lParam);
  input.key = key;
  input.down = down;
  QueueLocked(facts.thread).input.push_back(input);
  return true;
}

void PostKeyInput(UINT message, WPARAM wParam, LPARAM lParam, int key, bool down) {
  EnsureThreadCleanup();
  std::lock_guard<std::mutex> lock(UserMutex());
  Input input;
  input.msg = MakeMessageLocked(nullptr, message, wParam, lParam);
  input.key = key;
  input.down = down;
  input.to_focus = true;
  QueueLocked(std::this_thread::get_id()).input.push_back(input);
}

void ForgetThreadMessagesLocked(std::thread::id thread) {
  auto& timers = Table().timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(),
                              [thread](const Timer& timer) { return timer.thread == thread; }),
               timers.end());
  Table().queues.erase(thread);
}

}  // namespace backend::internal

extern "C" {

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  backend::internal::WindowFacts facts;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    if (!backend::internal::FindWindowLocked(hWnd, &facts)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
  }
  return facts.proc(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  backend::internal::EnsureThreadCleanup();
  std::lock_guard<std::mutex> lock(UserMutex());
  std::thread::id thread = std::this_thread::get_id();
  if (hWnd != nullptr) {
    backend::internal::WindowFacts facts;
    if (!backend::internal::FindWindowLocked(hWnd, &facts)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    thread = facts.thread;
  }
  QueueLocked(thread).posted.push_back(MakeMessageLocked(hWnd, Msg, wParam, lParam));
  return TRUE;
}

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                         UINT wRemoveMsg) {
  if (lpMsg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  backend::internal::EnsureThreadCleanup();
  Take taken =
      TakeMessage(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0, true);
  if (taken == Take::kBadWindow) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return taken == Take::kMessage ? TRUE : FALSE;
}

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  if (lpMsg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  backend::internal::EnsureThreadCleanup();
  int empty_waits = 0;
  for (;;) {
    Take taken = TakeMessage(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true, true);
    if (taken == Take::kMessage) return lpMsg->message == WM_QUIT ? 0 : 1;
    if (taken == Take::kBadWindow) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return -1;
    }
    // Nothing yet: the user may act first.
    if (empty_waits < kMostEmptyWaits && CallInputWait()) {
      if (++empty_waits == kMostEmptyWaits) {
        backend::internal::Report("input wait stopped after " + std::to_string(kMostEmptyWaits) +
                                  " calls that brought nothing");
      }
      continue;
    }
    // Time passes until the next timer this call would see is due.
    std::uint64_t next = 0;
    {
      std::lock_guard<std::mutex> lock(UserMutex());
      Timer* timer = FirstTimerLocked(hWnd, wMsgFilterMin, wMsgFilterMax, UINT64_MAX);
      if (timer == nullptr) {
        SetLastError(ERROR_TIMEOUT);
        return -1;
      }
      next = timer->due;
    }
    backend::internal::AdvanceClockTo(next);
  }
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
  if (lpMsg == nullptr) return 0;
  if (lpMsg->message == WM_TIMER && lpMsg->lParam != 0) {
    {
      std::lock_guard<std::mutex> lock(UserMutex());
      if (Table().timer_procs.count(static_cast<std::uintptr_t>(lpMsg->lParam)) == 0) return 0;
    }
    TIMERPROC proc = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
    proc(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, GetTickCount());
    return 0;
  }
  if (lpMsg->hwnd == nullptr) return 0;
  backend::internal::WindowFacts facts;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    if (!backend::internal::FindWindowLocked(lpMsg->hwnd, &facts)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
  }
  // A window's procedure runs on the thread that made it.
  if (facts.thread != std::this_thread::get_id()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return 0;
  }
  return facts.proc(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

void WINAPI PostQuitMessage(int nExitCode) {
  backend::internal::EnsureThreadCleanup();
  std::lock_guard<std::mutex> lock(UserMutex());
  Queue& queue = QueueLocked(std::this_thread::get_id());
  queue.quit = true;
  queue.quit_code = nExitCode;
}

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  backend::internal::EnsureThreadCleanup();
  uElapse = std::min(std::max(uElapse, USER_TIMER_MINIMUM), USER_TIMER_MAXIMUM);
  std::lock_guard<std::mutex> lock(UserMutex());
  MessageTable& table = Table();
  const std::thread::id me = std::this_thread::get_id();
  Timer timer;
  timer.thread = me;
  timer.window = hWnd;
  timer.interval = uElapse;
  timer.proc = lpTimerFunc;
  auto same = [&](const Timer& other) {
    return other.window == hWnd && other.id == timer.id && (hWnd != nullptr || other.thread == me);
  };
  if (hWnd != nullptr) {
    backend::internal::WindowFacts facts;
    if (!backend::internal::FindWindowLocked(hWnd, &facts)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    timer.thread = facts.thread;
    timer.id = nIDEvent;
  } else {
    // A thread timer keeps the id asked for only when it names one of this thread's
    // timers; otherwise it gets a new one.
    timer.id = nIDEvent;
    if (nIDEvent == 0 || std::none_of(table.timers.begin(), table.timers.end(), same)) {
      Queue& queue = QueueLocked(me);
      const UINT_PTR count = kFirstThreadTimerId - kLowestThreadTimerId + 1;
      bool found = false;
      for (UINT_PTR tries = 0; tries < count && !found; ++tries) {
        timer.id = queue.next_thread_timer;
        queue.next_thread_timer =
            timer.id > kLowestThreadTimerId ? timer.id - 1 : kFirstThreadTimerId;
        found = std::none_of(table.timers.begin(), table.timers.end(), same);
      }
      if (!found) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
      }
    }
  }
  // Setting a timer again replaces it: a new interval from now.
  table.timers.erase(std::remove_if(table.timers.begin(), table.timers.end(), same),
                     table.timers.end());
  timer.due = ClockNow() + uElapse;
  timer.order = table.next_order++;
  if (lpTimerFunc != nullptr)
    table.timer_procs.insert(reinterpret_cast<std::uintptr_t>(lpTimerFunc));
  table.timers.push_back(timer);
  if (hWnd != nullptr && timer.id == 0) return 1;
  return timer.id;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
  std::lock_guard<std::mutex> lock(UserMutex());
  auto& timers = Table().timers;
  const std::thread::id me = std::this_thread::get_id();
  auto it = std::find_if(timers.begin(), timers.end(), [&](const Timer& timer) {
    return timer.window == hWnd && timer.id == uIDEvent && (hWnd != nullptr || timer.thread == me);
  });
  if (it == timers.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  timers.erase(it);
  return TRUE;
}

}  // extern "C"
