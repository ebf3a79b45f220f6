// The outcome of one line of a scenario.
#pragma once

#include <string>
#include <utility>

namespace scenario {

struct Status {
  enum class Kind {
    Ok,       // the line ran (and its expectation held)
    Failed,   // an expectation did not hold, or the machine refused a change: exit 1
    Error,    // the line cannot be run as written, or this build does not know it: exit 2
    Skipped,  // a command of the format this runner cannot run or observe yet: the run goes on
  };
  Kind kind = Kind::Ok;
  std::string message;

  bool ok() const { return kind == Kind::Ok; }

  static Status Ok() { return {}; }
  static Status Failure(std::string message) { return {Kind::Failed, std::move(message)}; }
  // The message of a failing expectation: "expected WHAT, got WHAT".
  static Status Expected(const std::string& expected, const std::string& got) {
    return Failure("expected " + expected + ", got " + got);
  }
  static Status Error(std::string message) { return {Kind::Error, std::move(message)}; }
  static Status Skipped(std::string message) { return {Kind::Skipped, std::move(message)}; }
};

}  // namespace scenario
