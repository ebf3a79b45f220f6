#include "server/com/text.h"

#include <climits>
#include <cstdio>

namespace tarnivo::com {

std::string AnsiFromWide(const wchar_t* text, std::size_t length) {
  if (!text || length == 0 || length > static_cast<std::size_t>(INT_MAX)) return std::string();
  const int count = static_cast<int>(length);
  const int size = WideCharToMultiByte(CP_ACP, 0, text, count, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, count, out.data(), size, nullptr, nullptr);
  return out;
}

std::string AnsiFromBstr(BSTR text) {
  return text ? AnsiFromWide(text, SysStringLen(text)) : std::string();
}

std::wstring WideFromAnsi(const std::string& text) {
  if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return std::wstring();
  const int count = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), count, nullptr, 0);
  if (size <= 0) return std::wstring();
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), count, out.data(), size);
  return out;
}

BSTR BstrFromAnsi(const std::string& text) {
  const std::wstring wide = WideFromAnsi(text);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::string GuidText(const GUID& guid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  return text;
}

}  // namespace tarnivo::com
