#include "ui/controls/mod_subclass.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarnivo {

LRESULT ISubclass::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled) {
  (void)hwnd;
  (void)msg;
  (void)wParam;
  (void)lParam;
  (void)Handled;
  return 0;
}

namespace modSubclass {

namespace {

// The previous procedure of the window whose message a client of this thread is handling.
thread_local WNDPROC t_previous = nullptr;

// --- Property names ---

// A window handle as signed 32-bit decimal text: window handles fit in 32 bits.
std::string WindowName(HWND hwnd) {
  const auto bits = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(hwnd));
  return std::to_string(static_cast<std::int32_t>(bits));
}

std::string PairCountName(const std::string& window) { return "C" + window; }

// H#M: the start of the names of one message's client list.
std::string MessageName(const std::string& window, UINT msg) {
  return window + "#" + std::to_string(static_cast<std::int32_t>(msg));
}

std::string ClientCountName(const std::string& message) { return message + "C"; }

std::string EntryName(const std::string& message, std::int32_t index) {
  return message + "#" + std::to_string(index);
}

// --- Property values ---

std::int32_t ReadCount(HWND hwnd, const std::string& name) {
  const auto value = reinterpret_cast<std::intptr_t>(GetPropA(hwnd, name.c_str()));
  return static_cast<std::int32_t>(value);
}

void StoreCount(HWND hwnd, const std::string& name, std::int32_t count) {
  SetPropA(hwnd, name.c_str(), reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(count)));
}

WNDPROC ProcedureOf(HANDLE value) {
  return reinterpret_cast<WNDPROC>(reinterpret_cast<std::uintptr_t>(value));
}

HANDLE ClientValue(ISubclass* client) { return static_cast<HANDLE>(client); }

WNDPROC CurrentProcedure(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
}

// The index (from 1) of `client` among the message's first `count` entries, or 0.
std::int32_t FindClient(HWND hwnd, const std::string& message, std::int32_t count,
                        ISubclass* client) {
  for (std::int32_t i = 1; i <= count; ++i) {
    if (GetPropA(hwnd, EntryName(message, i).c_str()) == ClientValue(client)) return i;
  }
  return 0;
}

bool IsHooked(HWND hwnd, const std::string& message, ISubclass* client) {
  return FindClient(hwnd, message, ReadCount(hwnd, ClientCountName(message)), client) != 0;
}

std::vector<ISubclass*> ReadClients(HWND hwnd, const std::string& message) {
  std::vector<ISubclass*> clients;
  const std::int32_t count = ReadCount(hwnd, ClientCountName(message));
  for (std::int32_t i = 1; i <= count; ++i) {
    HANDLE entry = GetPropA(hwnd, EntryName(message, i).c_str());
    if (entry != nullptr) clients.push_back(static_cast<ISubclass*>(entry));
  }
  return clients;
}

// --- A destroyed window ---

bool IsDigits(const std::string& text, std::size_t from, std::size_t to) {
  if (from >= to) return false;
  for (std::size_t i = from; i < to; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

// True for the names the service gives properties of the window named `window`:
// H, "C" H, H#M C and H#M#I. Letter case does not count, as with property names.
bool IsServiceName(const std::string& name, const std::string& window) {
  if (name == window) return true;
  if (name.size() == window.size() + 1 && (name[0] == 'C' || name[0] == 'c') &&
      name.compare(1, std::string::npos, window) == 0) {
    return true;
  }
  const std::string start = window + "#";
  if (name.compare(0, start.size(), start) != 0) return false;
  std::size_t at = start.size();
  if (at < name.size() && name[at] == '-') ++at;
  const std::size_t message_end = name.find_first_not_of("0123456789", at);
  if (message_end == std::string::npos || !IsDigits(name, at, message_end)) return false;
  const std::string rest = name.substr(message_end);
  if (rest == "C" || rest == "c") return true;
  return rest.size() > 1 && rest[0] == '#' && IsDigits(rest, 1, rest.size());
}

struct ServiceNames {
  std::string window;
  std::vector<std::string> found;
};

BOOL CALLBACK CollectServiceName(HWND hwnd, LPSTR name, HANDLE value, ULONG_PTR param) {
  (void)hwnd;
  (void)value;
  auto* names = reinterpret_cast<ServiceNames*>(param);
  // Atom names are none of ours.
  if (reinterpret_cast<std::uintptr_t>(name) > 0xFFFF && IsServiceName(name, names->window)) {
    names->found.push_back(name);
  }
  return TRUE;
}

// A window that is still hooked is being destroyed: it gets its own procedure back (unless
// another procedure has been put in front of SubclassProc since) and loses every property
// the service gave it, so that nothing refers to its clients any more.
void ForgetWindow(HWND hwnd, const std::string& window) {
  HANDLE previous = GetPropA(hwnd, window.c_str());
  if (previous == nullptr) return;  // not hooked (any more)
  if (CurrentProcedure(hwnd) == &SubclassProc) {
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  }
  ServiceNames names;
  names.window = window;
  EnumPropsExA(hwnd, CollectServiceName, reinterpret_cast<LPARAM>(&names));
  for (const std::string& name : names.found) RemovePropA(hwnd, name.c_str());
}

LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const std::string window = WindowName(hwnd);
  WNDPROC previous = ProcedureOf(GetPropA(hwnd, window.c_str()));
  // A window whose record is gone gets default handling rather than none.
  if (previous == nullptr) previous = DefWindowProcA;

  // The list as it stands now: clients unhooked while it is walked are skipped, clients
  // hooked meanwhile wait for the next message.
  const std::string message = MessageName(window, msg);
  const std::vector<ISubclass*> clients = ReadClients(hwnd, message);
  LRESULT result = 0;
  bool called = false;
  bool handled = false;
  for (ISubclass* client : clients) {
    if (!IsHooked(hwnd, message, client)) continue;
    t_previous = previous;
    bool flag = false;
    try {
      result = client->WindowProc(hwnd, msg, wParam, lParam, flag);
    } catch (...) {
      // A failing client leaves the result as it was.
    }
    called = true;
    handled = flag;
  }

  if (msg == WM_NCDESTROY) ForgetWindow(hwnd, window);
  // Only the last client called decides whether the window's own procedure runs.
  if (!called || !handled) result = CallWindowProcA(previous, hwnd, msg, wParam, lParam);
  return result;
}

}  // namespace

void HookMessage(ISubclass* client, HWND hwnd, UINT msg) {
  if (client == nullptr) return;
  try {
    const std::string window = WindowName(hwnd);
    const std::string message = MessageName(window, msg);
    const std::string client_count = ClientCountName(message);
    const std::int32_t count = ReadCount(hwnd, client_count);
    // A pair that is hooked already: the counts stay as they are.
    if (FindClient(hwnd, message, count, client) != 0) return;

    const std::string pair_count = PairCountName(window);
    const std::int32_t pairs = ReadCount(hwnd, pair_count);
    if (pairs > 0) {
      StoreCount(hwnd, pair_count, pairs + 1);
    } else {
      const LONG_PTR previous =
          SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc));
      // Not a window (every window has a procedure): nothing is recorded.
      if (previous == 0) return;
      // SubclassProc must never become its own previous procedure.
      if (reinterpret_cast<WNDPROC>(previous) != &SubclassProc) {
        SetPropA(hwnd, window.c_str(), reinterpret_cast<HANDLE>(previous));
      }
      StoreCount(hwnd, pair_count, 1);
    }

    const std::int32_t last = count > 0 ? count + 1 : 1;
    StoreCount(hwnd, client_count, last);
    SetPropA(hwnd, EntryName(message, last).c_str(), ClientValue(client));
  } catch (...) {
    // Out of memory for a name: the pair is not hooked.
  }
}

void UnhookMessage(ISubclass* client, HWND hwnd, UINT msg) {
  if (client == nullptr) return;
  try {
    const std::string window = WindowName(hwnd);
    const std::string message = MessageName(window, msg);
    const std::string client_count = ClientCountName(message);
    const std::int32_t count = ReadCount(hwnd, client_count);
    if (count < 1) return;
    const std::int32_t found = FindClient(hwnd, message, count, client);
    // A pair that is not hooked: nothing changes.
    if (found == 0) return;

    // The clients after it move one place down, keeping their order.
    for (std::int32_t k = found + 1; k <= count; ++k) {
      HANDLE entry = GetPropA(hwnd, EntryName(message, k).c_str());
      SetPropA(hwnd, EntryName(message, k - 1).c_str(), entry);
    }
    RemovePropA(hwnd, EntryName(message, count).c_str());
    StoreCount(hwnd, client_count, count - 1);

    const std::string pair_count = PairCountName(window);
    const std::int32_t pairs = ReadCount(hwnd, pair_count);
    if (pairs > 1) {
      StoreCount(hwnd, pair_count, pairs - 1);
      return;
    }
    // The window's last pair: its previous procedure goes back.
    HANDLE previous = GetPropA(hwnd, window.c_str());
    if (previous != nullptr) {
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    }
    RemovePropA(hwnd, window.c_str());
    RemovePropA(hwnd, pair_count.c_str());
  } catch (...) {
    // Out of memory for a name: the pair stays hooked.
  }
}

LRESULT CallPreviousProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (t_previous == nullptr) return 0;
  return CallWindowProcA(t_previous, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // A message that comes in while a client of another window is busy (it sent one) leaves
  // that client's previous procedure as it found it.
  const WNDPROC outer = t_previous;
  LRESULT result = 0;
  try {
    result = Dispatch(hwnd, msg, wParam, lParam);
  } catch (...) {
    // No exception leaves a window procedure.
  }
  t_previous = outer;
  return result;
}

}  // namespace modSubclass
}  // namespace tarnivo
