// The three system functions that the programs call from most places, called through the jump
// thunks of their import libraries. A call through the import table names the table slot's
// absolute address, so every call site needs a relocation; a call to the thunk is relative, and
// only the thunk has one. With 15 to 26 call sites each, that is the smaller program.
// Included after <windows.h>, whose declarations it then stands in for.
#pragma once

#include <windows.h>

// The thunk's symbol: 32-bit names carry a leading underscore and, for WINAPI functions, the
// size of their arguments.
#ifdef _WIN64
#define QX_THUNK(name, argumentBytes) #name
#else
#define QX_THUNK(name, argumentBytes) "_" #name "@" #argumentBytes
#endif

extern "C" {
LRESULT WINAPI SendMessageByThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    __asm__(QX_THUNK(SendMessageA, 16));
BOOL WINAPI SetWindowTextByThunk(HWND window, LPCSTR text) __asm__(QX_THUNK(SetWindowTextA, 8));
BOOL WINAPI CloseHandleByThunk(HANDLE handle) __asm__(QX_THUNK(CloseHandle, 4));
}

#define SendMessageA SendMessageByThunk
#define SetWindowTextA SetWindowTextByThunk
#define CloseHandle CloseHandleByThunk
