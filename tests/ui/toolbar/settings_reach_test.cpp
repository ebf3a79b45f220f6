// A switch changed from the toolbar's menu in one browser window reaches the toolbars of the
// other windows, on another user-interface thread and in another process, at their next
// settings tick; before it they are as they were.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "support/band_fixture.h"

namespace tarnivo {
namespace {

using testing_support::BandTest;

// A browser window of its own (its own band and toolbar form) on the calling thread.
struct OtherWindow {
  OtherWindow() {
    browser = std::make_shared<sim::SimBrowser>();
    band = std::make_unique<CToolbar>();
    band->SetSite(std::make_shared<sim::SimSite>(browser));
  }
  ~OtherWindow() {
    browser->RaiseWindowClosing();
    band->CloseDW();
    band->SetSite(nullptr);
  }
  // What the window shows of the master switch: the band's copy, its image set and the
  // caption of the menu's switch entry.
  std::string State() const {
    frmToolbar* form = frmToolbar::Loaded();
    return band->Enabled + " " + std::to_string(band->Icone()) + " " +
           (form ? form->Caption("tete") : std::string("no form"));
  }
  std::shared_ptr<sim::SimBrowser> browser;
  std::unique_ptr<CToolbar> band;
};

// Reads one line (up to a newline) from a pipe.
std::string ReadLine(int fd) {
  std::string line;
  char c = 0;
  while (read(fd, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

void WriteLine(int fd, const std::string& line) {
  const std::string out = line + "\n";
  ASSERT_EQ(write(fd, out.data(), out.size()), static_cast<ssize_t>(out.size()));
}

class SettingsReachTest : public BandTest {};

TEST_F(SettingsReachTest, AnotherThreadsToolbarFollowsAtItsNextTick) {
  Start("1", "0");
  std::string before;
  std::string after;
  std::mutex step;
  std::condition_variable changed_cv;
  bool ready = false;
  bool changed = false;
  std::thread other([&] {
    OtherWindow window;
    backend::RunFor(200);
    std::unique_lock<std::mutex> lock(step);
    ready = true;
    changed_cv.notify_all();
    changed_cv.wait(lock, [&] { return changed; });
    before = window.State();
    backend::RunFor(200);
    after = window.State();
  });
  {
    std::unique_lock<std::mutex> lock(step);
    changed_cv.wait(lock, [&] { return ready; });
    // The user switches blocking off in this window's menu.
    frmToolbar::Instance().tete_Click();
    changed = true;
    changed_cv.notify_all();
  }
  other.join();
  EXPECT_EQ(before, "1 103 Disable Tarnivo");
  EXPECT_EQ(after, "0 2 Enable Tarnivo");
}

TEST_F(SettingsReachTest, AnotherProcesssToolbarFollowsAtItsNextTick) {
  Store("1", "0");
  int to_child[2];
  int to_parent[2];
  ASSERT_EQ(pipe(to_child), 0);
  ASSERT_EQ(pipe(to_parent), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The other process: a browser window of its own on the same registry.
    {
      OtherWindow window;
      backend::RunFor(200);
      WriteLine(to_parent[1], "ready");
      ReadLine(to_child[0]);
      WriteLine(to_parent[1], window.State());
      backend::RunFor(200);
      WriteLine(to_parent[1], window.State());
    }
    _exit(0);
  }
  Start("1", "0");
  EXPECT_EQ(ReadLine(to_parent[0]), "ready");
  frmToolbar::Instance().tete_Click();
  WriteLine(to_child[1], "changed");
  EXPECT_EQ(ReadLine(to_parent[0]), "1 103 Disable Tarnivo");
  EXPECT_EQ(ReadLine(to_parent[0]), "0 2 Enable Tarnivo");
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  for (int fd : {to_child[0], to_child[1], to_parent[0], to_parent[1]}) close(fd);
}

}  // namespace
}  // namespace tarnivo
