// The user's hands in a dialog on the Linux back end: clicks at a control's place on the
// screen, keys and typed text, an entry picked from a drop-down list, and a click where no
// window of the program is. The input is posted as hardware input is; inside a dialog's own
// loop that loop takes it (its dialog keyboard too), elsewhere the runner runs it at once.
#include <utility>

#include "platform/linux/backend.h"
#include "platform/win32.h"
#include "sim_runner.h"

namespace scenario {

namespace {

// Places on the screen a click outside every dialog may land on: the first one no window
// covers is taken.
constexpr POINT kOutsidePlaces[] = {{1023, 0}, {1023, 383}, {512, 767}, {0, 767}, {1023, 767}};

}  // namespace

Status SimRunner::Settled(Status status) {
  if (status.ok() && waiting_ == 0) backend::RunPending();
  return status;
}

Status SimRunner::ClickWindow(const std::string& what, HWND control) {
  if (!backend::UserClickWindow(control)) return Status::Failure(what + ": the control has gone");
  return Settled(Status::Ok());
}

Status SimRunner::TypeText(const std::string& what, const std::string& text) {
  (void)what;
  backend::UserType(text);
  return Settled(Status::Ok());
}

Status SimRunner::PressKey(const std::string& what, int vk) {
  (void)what;
  backend::UserKey(vk);
  return Settled(Status::Ok());
}

Status SimRunner::PickEntry(const std::string& what, HWND control, tarnivo::forms::ControlKind kind,
                            int index) {
  const bool picked = kind == tarnivo::forms::ControlKind::ComboBox
                          ? backend::UserPickComboEntry(control, index)
                          : backend::UserPickListEntry(control, index);
  if (!picked)
    return Status::Failure(what + ": the entry " + std::to_string(index) + " cannot be picked");
  return Settled(Status::Ok());
}

Status SimRunner::SlideTo(const std::string& what, HWND slider, int position) {
  if (!backend::UserMoveTrackbar(slider, position))
    return Status::Failure(what + ": the slider cannot be moved to " + std::to_string(position));
  return Settled(Status::Ok());
}

Status SimRunner::Shells(int* count, tarnivo::ShellSeen* last) {
  *count = backend::ShellExecuteCount();
  const backend::ShellExecuteCall call = backend::LastShellExecute();
  last->verb = call.verb.value_or("");
  last->file = call.file.value_or("");
  last->parameters = call.parameters.value_or("");
  last->directory = call.directory.value_or("");
  last->show = call.show;
  return Status::Ok();
}

Status SimRunner::ClickOutside(const std::string& what) {
  for (const POINT& place : kOutsidePlaces) {
    if (WindowFromPoint(place) != nullptr) continue;
    backend::UserClick(place);
    session_.Say("click outside the dialog");
    return Settled(Status::Ok());
  }
  return Status::Failure(what + ": every place outside the dialog is covered by a window");
}

void SimRunner::SetInputWait(std::function<bool()> wait) {
  if (!wait) {
    backend::SetInputWait(nullptr);
    return;
  }
  backend::SetInputWait([this, wait = std::move(wait)]() {
    ++waiting_;
    const bool more = wait();
    --waiting_;
    return more;
  });
}

}  // namespace scenario
