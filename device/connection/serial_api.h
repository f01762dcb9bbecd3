// The serial port operations both testers call, with the names, records and results of the
// platform interface they were written against. A port is a handle opened by name ("COM3:",
// "\\.\COM3"); the port map (port_map.h) says which line stands behind the name. Every call
// is synchronous and returns non-zero on success.
//
// Threads: any call may come from any thread, several at once on one handle. CloseHandle
// from another thread makes a pending WaitCommEvent return 0 and a blocked ReadFile or
// WriteFile return at once; the device is released only after every call inside has left,
// and a handle value is never given out twice, so a stale copy fails cleanly instead of
// reaching another port.
#pragma once

#include <string>

#include "device/connection/serial_types.h"

namespace serial {

// Opens a port exclusively. Access, share mode, security, disposition, flags and template
// are accepted as the callers pass them; the open is always exclusive and of an existing
// port. Returns INVALID_HANDLE_VALUE when the port is missing, busy or not permitted; why
// goes to the debug output.
HANDLE CreateFileW(const wchar_t* name, DWORD access, DWORD shareMode, void* security,
                   DWORD disposition, DWORD flags, HANDLE templateFile);
HANDLE CreateFileA(const char* name, DWORD access, DWORD shareMode, void* security,
                   DWORD disposition, DWORD flags, HANDLE templateFile);

BOOL GetCommState(HANDLE port, DCB* dcb);
// Non-zero only when the line holds every setting exactly; otherwise it stays as it was.
BOOL SetCommState(HANDLE port, const DCB* dcb);
BOOL GetCommTimeouts(HANDLE port, COMMTIMEOUTS* timeouts);
BOOL SetCommTimeouts(HANDLE port, const COMMTIMEOUTS* timeouts);

// A new mask releases a pending wait, which then reports no event. EV_TXEMPTY is not
// supported: a mask with it is refused.
BOOL SetCommMask(HANDLE port, DWORD mask);
// Fails at once when no event is armed.
BOOL WaitCommEvent(HANDLE port, DWORD* events, void* overlapped = nullptr);

BOOL ReadFile(HANDLE port, void* buffer, DWORD count, DWORD* got, void* overlapped = nullptr);
BOOL WriteFile(HANDLE port, const void* buffer, DWORD count, DWORD* written,
               void* overlapped = nullptr);

// Returns the latched line errors and clears them.
BOOL ClearCommError(HANDLE port, DWORD* errors, COMSTAT* status);
BOOL GetCommModemStatus(HANDLE port, DWORD* status);
BOOL EscapeCommFunction(HANDLE port, DWORD code);
BOOL SetCommBreak(HANDLE port);
BOOL ClearCommBreak(HANDLE port);
BOOL CloseHandle(HANDLE port);

// Reads the port map at `path` now, replacing the one in use, and resets the virtual lines.
// Call it while no port is open. Without this call the map at PortMapPath() is read at the
// first open.
void LoadPortMap(const std::string& path);

}  // namespace serial
