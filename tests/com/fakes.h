// The COM stand-ins of the browser (tools/comfakes, shared with tarnivo-host.exe), known by
// their plain names in the tests of the COM server.
#pragma once

#include "com_fakes.h"

namespace comtest {
using namespace comfakes;
}  // namespace comtest
