#pragma once

// What the program uses of <windows.h>: the five kernel operations, their types, MAX_PATH and the
// GUI entry point. Elsewhere the same declarations let the cleanup build against a stand-in that
// supplies the operations, so the cleanup code itself has a single form.

#if defined(_WIN32)

#include <windows.h>

#else

#include <cstdint>

#define WINAPI
#define MAX_PATH 260

using BOOL = int;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using LPSTR = char*;
using LPCSTR = const char*;
using HINSTANCE = struct Instance*;

extern "C" {
DWORD GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer);
UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize);
UINT GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize);
BOOL SetCurrentDirectoryA(LPCSTR lpPathName);
BOOL DeleteFileA(LPCSTR lpFileName);
int WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd);
}

#endif
