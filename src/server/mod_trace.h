// modTrace: the trace sink that host operations and toolbar procedures call with an event,
// a class name, a procedure name and a detail. It records nothing; it only keeps the
// thread's trace level.
#pragma once

#include <string>

namespace tarnivo::modTrace {

// The thread's trace level: 9 once anything was traced.
int TraceLevel();

void Trace(const char* event, const char* className, const char* procedure,
           const std::string& detail = std::string());

}  // namespace tarnivo::modTrace
