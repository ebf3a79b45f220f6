// tarnivo.dll as its tests reach it: loaded from beside the test program, its exports, and
// the identifiers it is known by.
#pragma once

#include <string>

#include "platform/win32.h"

#include <objbase.h>

namespace comtest {

// The fixed identifiers of tarnivo.idl, written out here so that a change to them shows.
// {AD04430B-9388-4BF7-B3AC-CC7C1E07DE36}
inline constexpr CLSID kClsidCToolbar = {
    0xad04430b, 0x9388, 0x4bf7, {0xb3, 0xac, 0xcc, 0x7c, 0x1e, 0x07, 0xde, 0x36}};
// {62E759D8-5B43-4427-8C2D-32C9490432AD}
inline constexpr GUID kLibid = {
    0x62e759d8, 0x5b43, 0x4427, {0x8c, 0x2d, 0x32, 0xc9, 0x49, 0x04, 0x32, 0xad}};
// {E3E812A4-0DE7-41BE-91A0-FA67805F885B}
inline constexpr IID kIidICToolbar = {
    0xe3e812a4, 0x0de7, 0x41be, {0x91, 0xa0, 0xfa, 0x67, 0x80, 0x5f, 0x88, 0x5b}};
// {6ED76E0A-ADAB-4F56-8CAD-339144E6C4A8}
inline constexpr IID kIidISubclass = {
    0x6ed76e0a, 0xadab, 0x4f56, {0x8c, 0xad, 0x33, 0x91, 0x44, 0xe6, 0xc4, 0xa8}};

inline constexpr const char* kClsidText = "{AD04430B-9388-4BF7-B3AC-CC7C1E07DE36}";
inline constexpr const char* kLibidText = "{62E759D8-5B43-4427-8C2D-32C9490432AD}";
inline constexpr const char* kIidICToolbarText = "{E3E812A4-0DE7-41BE-91A0-FA67805F885B}";
inline constexpr const char* kIidISubclassText = "{6ED76E0A-ADAB-4F56-8CAD-339144E6C4A8}";

struct Server {
  HMODULE module = nullptr;
  std::string path;
  HRESULT(STDAPICALLTYPE* GetClassObject)(REFCLSID, REFIID, void**) = nullptr;
  HRESULT(STDAPICALLTYPE* CanUnloadNow)() = nullptr;
  HRESULT(STDAPICALLTYPE* Register)() = nullptr;
  HRESULT(STDAPICALLTYPE* Unregister)() = nullptr;
};

// The server, loaded on first use and kept loaded; its members are null when it could not
// be loaded.
const Server& TheServer();

// A new band object from the server's class factory, asked for `riid`.
HRESULT CreateBand(REFIID riid, void** ppv);

}  // namespace comtest
