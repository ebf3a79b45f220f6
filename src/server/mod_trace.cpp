#include "server/mod_trace.h"

namespace tarnivo::modTrace {

namespace {

thread_local int t_level = 0;

}  // namespace

int TraceLevel() { return t_level; }

void Trace(const char*, const char*, const char*, const std::string&) { t_level = 9; }

}  // namespace tarnivo::modTrace
