// ModReg: the only code that touches the registry. Creates a key, stores a value,
// reads a value, with the two value operations behind them.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "platform/win32.h"

namespace tarnivo {

// The settings key under HKEY_LOCAL_MACHINE.
inline constexpr const char* kSettingsKey = "Software\\Tarnivo";

// A value as the store passes it: nothing, a text or a 32-bit number.
using RegVariant = std::variant<std::monostate, std::string, std::int32_t>;

// Text of a variant: a number gives its decimal text, nothing gives "".
std::string VariantText(const RegVariant& value);

namespace ModReg {

// Creates (or opens) root\keyName and closes it again. Failures are silent.
void CreateNewKey(const std::string& keyName, HKEY root);

// Opens HKEY_LOCAL_MACHINE\keyName and stores one value; a missing key stores nothing.
void SetKeyValue(const std::string& keyName, const std::string& valueName, const RegVariant& value,
                 DWORD valueType);

// REG_SZ: the text with one NUL appended; REG_DWORD: the value as a 32-bit signed number.
// Returns the API's result; any other type stores nothing and returns 0.
LONG SetValueEx(HKEY key, const std::string& valueName, DWORD valueType, const RegVariant& value);

// Reads HKEY_LOCAL_MACHINE\keyName\valueName as text ("" when missing or unreadable).
// A REG_SZ text keeps its stored terminating NUL; a REG_DWORD gives its decimal text.
std::string QueryValue(const std::string& keyName, const std::string& valueName);

// As QueryValue, with what the read answered: ERROR_SUCCESS; ERROR_FILE_NOT_FOUND for a
// missing key or value, -1 for a type read as "" and ERROR_MORE_DATA for a value of an odd
// size (all read as "" by design); any other code is a read that failed, whose "" says
// nothing of what is stored.
LONG QueryValueResult(const std::string& keyName, const std::string& valueName, std::string& text);

// Reads one value of an open key into `value`; returns the API's result, -1 for a type
// other than REG_SZ and REG_DWORD.
LONG QueryValueEx(HKEY key, const std::string& valueName, RegVariant& value);

}  // namespace ModReg
}  // namespace tarnivo
