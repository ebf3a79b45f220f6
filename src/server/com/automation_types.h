// The real declarations behind automation_types.idl, for the header generated from
// tarnivo.idl.
#pragma once

#include <oaidl.h>
#include <ocidl.h>
