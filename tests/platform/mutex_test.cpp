// Conformance of the mutex functions (CreateMutexA, WaitForSingleObject, ReleaseMutex,
// CloseHandle): the same tests run against Wine's kernel32 and against the Linux back end,
// with threads of the test and with processes of the test child program.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/win32.h"
#include "support/child_process.h"

namespace {

// What a call of another thread answers, with its last error.
struct Answer {
  DWORD result = 0;
  DWORD error = 0;
};

template <typename Call>
Answer OnAnotherThread(Call call) {
  Answer answer;
  std::thread other([&] {
    SetLastError(0);
    answer.result = static_cast<DWORD>(call());
    answer.error = GetLastError();
  });
  other.join();
  return answer;
}

// A mutex of each kind: unnamed, and named (a name of this test run).
struct Kind {
  const char* label;
  bool named;
};
const Kind kKinds[] = {{"unnamed", false}, {"named", true}};

HANDLE Make(const Kind& kind, BOOL initial_owner = FALSE) {
  static const std::string name = child_process::UniqueName("Tarnivo.Test.Kind.");
  return CreateMutexA(nullptr, initial_owner, kind.named ? name.c_str() : nullptr);
}

TEST(MutexTest, OwnerWaitsAgainAndReleasesAsOftenAsItWaited) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.label);
    HANDLE mutex = Make(kind);
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0) << "the owner's own wait";
    EXPECT_EQ(WaitForSingleObject(mutex, 100), WAIT_OBJECT_0);

    // Owned: another thread cannot have it, nor release it.
    EXPECT_EQ(OnAnotherThread([&] { return WaitForSingleObject(mutex, 0); }).result, WAIT_TIMEOUT);
    EXPECT_EQ(OnAnotherThread([&] { return WaitForSingleObject(mutex, 50); }).result, WAIT_TIMEOUT);
    Answer release = OnAnotherThread([&] { return ReleaseMutex(mutex); });
    EXPECT_EQ(release.result, static_cast<DWORD>(FALSE));
    EXPECT_EQ(release.error, static_cast<DWORD>(ERROR_NOT_OWNER));

    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(OnAnotherThread([&] { return WaitForSingleObject(mutex, 0); }).result, WAIT_TIMEOUT)
        << "still owned after two of three releases";
    EXPECT_TRUE(ReleaseMutex(mutex));
    SetLastError(0);
    EXPECT_FALSE(ReleaseMutex(mutex)) << "released more often than waited";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));

    // Free again: another thread has it, and what it owns the first cannot release.
    Answer other = OnAnotherThread([&] {
      DWORD wait = WaitForSingleObject(mutex, 0);
      return wait == WAIT_OBJECT_0 && ReleaseMutex(mutex) ? wait : WAIT_FAILED;
    });
    EXPECT_EQ(other.result, WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(mutex));
  }
}

TEST(MutexTest, InitialOwnerOwnsANewMutex) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.label);
    HANDLE mutex = Make(kind, TRUE);
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(OnAnotherThread([&] { return WaitForSingleObject(mutex, 0); }).result, WAIT_TIMEOUT);
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_TRUE(CloseHandle(mutex));
  }
}

TEST(MutexTest, OneNameIsOneMutex) {
  const std::string name = child_process::UniqueName("Tarnivo.Test.Name.");
  SetLastError(1234);
  HANDLE first = CreateMutexA(nullptr, FALSE, name.c_str());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), 0u) << "a new mutex";

  // The second handle, from another thread, asks to own it: an existing mutex ignores that.
  HANDLE second = nullptr;
  Answer opened = OnAnotherThread([&] {
    second = CreateMutexA(nullptr, TRUE, name.c_str());
    return 0;
  });
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_EQ(opened.error, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_OBJECT_0) << "nobody owned it";

  // Owned through one handle is owned through the other: the owner waits again through the
  // second, another thread finds it taken through either.
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
  EXPECT_EQ(OnAnotherThread([&] { return WaitForSingleObject(second, 0); }).result, WAIT_TIMEOUT);
  EXPECT_TRUE(ReleaseMutex(second));
  EXPECT_TRUE(ReleaseMutex(first));
  EXPECT_EQ(OnAnotherThread([&] {
              DWORD wait = WaitForSingleObject(second, 0);
              if (wait == WAIT_OBJECT_0) ReleaseMutex(first);
              return wait;
            }).result,
            WAIT_OBJECT_0);

  // Another name is another mutex.
  HANDLE other = CreateMutexA(nullptr, TRUE, (name + "-other").c_str());
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(OnAnotherThread([&] { return WaitForSingleObject(first, 0); }).result, WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(other));
  EXPECT_TRUE(CloseHandle(other));

  // When every handle is closed the mutex is gone: the name makes a new one.
  EXPECT_TRUE(CloseHandle(first));
  EXPECT_TRUE(CloseHandle(second));
  SetLastError(1234);
  HANDLE again = CreateMutexA(nullptr, TRUE, name.c_str());
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_TRUE(ReleaseMutex(again)) << "a new mutex, owned as asked";
  EXPECT_TRUE(CloseHandle(again));
}

TEST(MutexTest, AThreadThatEndsOwningItAbandonsIt) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.label);
    HANDLE mutex = Make(kind);
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(OnAnotherThread([&] { return WaitForSingleObject(mutex, 0); }).result, WAIT_OBJECT_0);
    // The next waiter owns it, told once that it was abandoned.
    EXPECT_EQ(WaitForSingleObject(mutex, 5000), WAIT_ABANDONED);
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
    EXPECT_EQ(OnAnotherThread([&] { return WaitForSingleObject(mutex, 0); }).result, WAIT_TIMEOUT);
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(CloseHandle(mutex));
  }
}

TEST(MutexTest, AWaiterGetsItWhenTheOwnerReleasesIt) {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, nullptr);
  ASSERT_NE(mutex, nullptr);
  DWORD waited = WAIT_FAILED;
  std::thread waiter([&] {
    waited = WaitForSingleObject(mutex, 30000);
    if (waited == WAIT_OBJECT_0) ReleaseMutex(mutex);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(ReleaseMutex(mutex));
  waiter.join();
  EXPECT_EQ(waited, WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(mutex));
}

TEST(MutexTest, AClosedHandleNamesNoMutex) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  ASSERT_NE(mutex, nullptr);
  EXPECT_TRUE(CloseHandle(mutex));
  SetLastError(0);
  EXPECT_FALSE(CloseHandle(mutex));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  SetLastError(0);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  SetLastError(0);
  EXPECT_FALSE(ReleaseMutex(mutex));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

// --- Across processes: the test child program shares the named mutex. ---

TEST(MutexProcessTest, AnotherProcessOwnsItUntilItReleasesIt) {
  const std::string name = child_process::UniqueName("Tarnivo.Test.Shared.");
  const std::string marker = name + ".held";
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
  HANDLE gate = CreateMutexA(nullptr, TRUE, (name + ".gate").c_str());
  ASSERT_NE(mutex, nullptr);
  ASSERT_NE(gate, nullptr);

  child_process::Child child;
  ASSERT_TRUE(child.Start({"hold-until", name, marker, name + ".gate"}));
  ASSERT_TRUE(child_process::WaitForFile(marker, 30000)) << "the child never owned it";
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(mutex, 50), WAIT_TIMEOUT);
  SetLastError(0);
  EXPECT_FALSE(ReleaseMutex(mutex));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));

  // The child goes on when the gate opens, releases the mutex and ends.
  EXPECT_TRUE(ReleaseMutex(gate));
  EXPECT_EQ(WaitForSingleObject(mutex, 30000), WAIT_OBJECT_0);
  EXPECT_EQ(child.Wait(30000), 0);
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_TRUE(CloseHandle(gate));
  EXPECT_TRUE(CloseHandle(mutex));
  std::remove(marker.c_str());
}

TEST(MutexProcessTest, AProcessThatDiesOwningItAbandonsIt) {
  const std::string name = child_process::UniqueName("Tarnivo.Test.Dies.");
  const std::string marker = name + ".held";
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
  ASSERT_NE(mutex, nullptr);

  child_process::Child child;
  ASSERT_TRUE(child.Start({"hold", name, marker}));
  EXPECT_EQ(child.Wait(30000), 0);
  ASSERT_TRUE(child_process::WaitForFile(marker, 0)) << "the child never owned it";
  EXPECT_EQ(WaitForSingleObject(mutex, 5000), WAIT_ABANDONED);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << "abandoned is told once";
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_TRUE(CloseHandle(mutex));
  std::remove(marker.c_str());
}

}  // namespace
