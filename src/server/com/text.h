// Texts between the system's ANSI strings and the wide strings of COM.
#pragma once

#include <string>

#include "platform/win32.h"

namespace tarnivo::com {

// A wide string in the ANSI code page (characters it lacks become its default character).
std::string AnsiFromWide(const wchar_t* text, std::size_t length);
// A BSTR as ANSI text, all its characters (embedded NULs included); null is "".
std::string AnsiFromBstr(BSTR text);
// ANSI text as a wide string.
std::wstring WideFromAnsi(const std::string& text);
// ANSI text as a new BSTR (null when out of memory).
BSTR BstrFromAnsi(const std::string& text);

// A GUID in registry form, {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
std::string GuidText(const GUID& guid);

}  // namespace tarnivo::com
