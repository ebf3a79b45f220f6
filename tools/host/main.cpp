// tarnivo-host.exe [-v] FILE...: runs scenario files against the real tarnivo.dll (loaded
// from beside this program), each in a fresh machine state, and ends with
// "N passed, M failed". Lines it cannot run or observe yet are skipped: with skips, a line
// "K skipped (L lines)" comes before the summary, and a file whose expectations were all
// skipped counts as skipped, neither passed nor failed.
// Each file runs in a child process of its own (this program with `--one`), so that it starts
// from a freshly loaded DLL.
// Exit status: 0 when no file failed, 1 when an expectation failed, 2 when a line could not
// be run (a parse error, an unknown command), the DLL cannot be loaded or the arguments are
// wrong.
//
// The settings key and the list file are the machine's real ones: what was there before
// the run is put back after it.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "machine.h"
#include "saved_machine.h"
#include "command_line.h"
#include "host_runner.h"
#include "play.h"

namespace {

// One file in this process: what the child reports through its exit code. The result in
// the low two bits, a bit that says the run came to its end, the number of skipped lines
// above them. A process that was killed or crashed never has the end bit with a small code.
constexpr DWORD kResultBits = 2;
constexpr DWORD kFinished = 1u << kResultBits;
constexpr DWORD kSkippedShift = kResultBits + 1;

DWORD EncodeOutcome(const scenario::FileOutcome& outcome) {
  return static_cast<DWORD>(outcome.result) | kFinished |
         (static_cast<DWORD>(outcome.skipped_lines) << kSkippedShift);
}

// Runs one file here: the DLL is loaded into this process only, so that nothing it keeps
// (its lists, its shared values, its windows and timers) reaches the next file.
// A crash of the child ends it at once with the exception's code, which the parent reports;
// the system's debugger is not started (under Wine it would wait for a user forever).
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* info) {
  TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

int RunChild(bool verbose, const std::string& file) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(EndOnCrash);
  if (FAILED(OleInitialize(nullptr))) {
    std::cerr << "tarnivo-host: OLE cannot be initialised\n";
    scenario::FileOutcome error;
    error.result = scenario::FileOutcome::Result::Error;
    return static_cast<int>(EncodeOutcome(error));
  }
  scenario::FileOutcome outcome;
  {
    host::Server server;
    std::string error;
    if (!server.Load(&error)) {
      std::cerr << "tarnivo-host: " << error << "\n";
      outcome.result = scenario::FileOutcome::Result::Error;
    } else {
      host::HostRunner runner(server, verbose, std::cout);
      outcome = scenario::RunFile(runner, file, verbose, std::cout, std::cerr);
    }
  }
  std::cout.flush();
  std::cerr.flush();
  OleUninitialize();
  return static_cast<int>(EncodeOutcome(outcome));
}

std::string QuoteArgument(const std::string& text) {
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : text) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

// Runs `file` in a child process of this program; the outcome it reports.
scenario::FileOutcome RunInChild(bool verbose, const std::string& file) {
  scenario::FileOutcome outcome;
  outcome.result = scenario::FileOutcome::Result::Error;
  std::string self;
  if (!host::RunnerPath(&self)) {
    std::cerr << file << ": cannot read the runner's own path\n";
    return outcome;
  }
  std::string command =
      QuoteArgument(self) + " --one" + (verbose ? " -v" : "") + " -- " + QuoteArgument(file);
  std::cout.flush();
  std::cerr.flush();
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process = {};
  const bool started = host::StartProcess(command, true, startup, &process);
  if (!started) {
    std::cerr << file << ": cannot start a runner for the file (error " << GetLastError() << ")\n";
    return outcome;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // An exception code (0xC0000005 and the like), or any code without the end bit, is a run
  // that crashed or was killed before it came to its end.
  if ((code & 0xC0000000u) != 0 || (code & kFinished) == 0) {
    std::cerr << file << ": the run ended before its end (exit code 0x" << std::hex << code
              << std::dec << ")\n";
    outcome.result = scenario::FileOutcome::Result::Failed;
    return outcome;
  }
  outcome.result = static_cast<scenario::FileOutcome::Result>(code & (kFinished - 1));
  outcome.skipped_lines = static_cast<int>(code >> kSkippedShift);
  return outcome;
}

}  // namespace

int main(int argc, char** argv) {
  // `--menu X Y PARENT`: the popup menu `cursor menu` puts the cursor over.
  if (argc >= 2 && std::string(argv[1]) == "--menu") return host::RunMenuWindow(argc - 2, argv + 2);
  // `--one [-v] -- FILE`: the child that runs one file.
  if (argc >= 2 && std::string(argv[1]) == "--one") {
    bool verbose = false;
    std::vector<std::string> files;
    argv[1] = argv[0];
    if (!scenario::ParseCommandLine("tarnivo-host", argc - 1, argv + 1, &verbose, &files) ||
        files.size() != 1) {
      scenario::FileOutcome error;
      error.result = scenario::FileOutcome::Result::Error;
      return static_cast<int>(EncodeOutcome(error));
    }
    return RunChild(verbose, files[0]);
  }

  bool verbose = false;
  std::vector<std::string> files;
  if (!scenario::ParseCommandLine("tarnivo-host", argc, argv, &verbose, &files)) return 2;

  const scenario::SavedMachine saved = scenario::SaveMachine();
  int passed = 0;
  int failed = 0;
  int skipped_files = 0;
  int skipped_lines = 0;
  bool any_error = false;
  for (const std::string& file : files) {
    const scenario::FileOutcome outcome = RunInChild(verbose, file);
    skipped_lines += outcome.skipped_lines;
    switch (outcome.result) {
      case scenario::FileOutcome::Result::Passed:
        ++passed;
        break;
      case scenario::FileOutcome::Result::Skipped:
        ++skipped_files;
        break;
      case scenario::FileOutcome::Result::Error:
        any_error = true;
        ++failed;
        break;
      case scenario::FileOutcome::Result::Failed:
        ++failed;
        break;
    }
  }
  scenario::RestoreMachine(saved);
  if (skipped_lines > 0) std::cout << skipped_files << " skipped (" << skipped_lines << " lines)\n";
  std::cout << passed << " passed, " << failed << " failed" << std::endl;
  return failed == 0 ? 0 : (any_error ? 2 : 1);
}
