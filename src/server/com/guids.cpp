// Storage for the identifiers of tarnivo.idl (the library, ICToolbar, ISubclass, CToolbar).
// The Windows headers come first, so that only the identifiers of tarnivo.idl are defined
// here.
#include "platform/win32.h"

#include <oaidl.h>
#include <ocidl.h>

#include <initguid.h>

#include "tarnivo_idl.h"
