#include "device/connection/serial_api.h"

#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <vector>

#include "device/connection/dcb_termios.h"
#include "device/connection/line_driver.h"
#include "device/connection/port_core.h"
#include "device/connection/port_map.h"
#include "device/connection/tty_line.h"
#include "device/connection/virtual_line.h"
#include "platform/kernel.h"

namespace serial {

namespace {

struct Port {
    Port(std::shared_ptr<Wire> wire, std::string portName)
        : core(std::move(wire)), name(std::move(portName)) {}

    PortCore core;
    std::unique_ptr<LineDriver> driver;
    const std::string name;
    // Atomic, so that a call costs no lock for this: CloseHandle sets `closing` and then
    // waits on the wire for the count to reach 0; a call leaving last notifies it.
    std::atomic<int> callsInside{0};
    std::atomic<bool> closing{false};

    std::mutex settingsLock;
    DCB dcb;
};

// Looked up by every call, changed only by opens and closes.
std::shared_mutex tableLock;
std::map<HANDLE, std::shared_ptr<Port>> openPorts;
HANDLE lastHandle = 0x100;

std::mutex mapLock;
bool mapLoaded = false;
PortMap portMap;

void LoadPortMapLocked(const std::string& path, bool mustExist) {
    std::string text;
    std::string problem;
    const MapFileRead result = ReadPortMapFile(path, &text, &problem);
    if (result == MapFileRead::kRefused || (result == MapFileRead::kMissing && mustExist)) {
        kernel::DebugPrint("port map %s: %s; ports open as without a map\n", path.c_str(),
                           problem.c_str());
    }
    std::vector<std::string> lineProblems;
    portMap = ParsePortMap(text, path, &lineProblems);
    for (const std::string& line : lineProblems) {
        kernel::DebugPrint("%s\n", line.c_str());
    }
    ResetVirtualLines(portMap);
    mapLoaded = true;
}

PortEntry EntryFor(int comNumber) {
    std::lock_guard lock(mapLock);
    if (!mapLoaded) {
        const bool named = std::getenv("SERIALKIT_PORT_MAP") != nullptr;
        LoadPortMapLocked(PortMapPath(), named);
    }
    return ResolvePort(portMap, comNumber);
}

// Keeps a port's device open while a call is inside; CloseHandle waits for it.
class Call {
  public:
    explicit Call(HANDLE handle) {
        std::shared_lock lock(tableLock);
        const auto found = openPorts.find(handle);
        if (found == openPorts.end()) {
            return;
        }
        port_ = found->second;
        // Counted before the table lock is released: a close that removes the port after
        // this sees the call.
        port_->callsInside.fetch_add(1);
    }
    ~Call() {
        // Sequentially consistent, as is the close's store and load: either this sees
        // `closing`, or the close sees the count drop.
        if (port_ && port_->callsInside.fetch_sub(1) == 1 && port_->closing.load()) {
            std::lock_guard wireLock(port_->core.wire->lock);
            port_->core.wire->changed.notify_all();
        }
    }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    explicit operator bool() const { return port_ != nullptr; }
    Port* operator->() const { return port_.get(); }
    Port& operator*() const { return *port_; }

  private:
    std::shared_ptr<Port> port_;
};

// The device went away: every call but ReadFile, ClearCommError and CloseHandle fails.
bool Vanished(Port& port) {
    std::lock_guard lock(port.core.wire->lock);
    return port.core.vanished;
}

HANDLE OpenByName(const std::string& name) {
    int comNumber = 0;
    if (!ParseComName(name, &comNumber)) {
        kernel::DebugPrint("%s: not a port name (expected COM<n>: or \\\\.\\COM<n>)\n",
                           name.c_str());
        return INVALID_HANDLE_VALUE;
    }
    // Messages name the port as the caller did: the tenth port may be COM0 or COM10.
    std::string portName = name.substr(name.starts_with("\\\\.\\") ? 4 : 0);
    if (portName.ends_with(':')) {
        portName.pop_back();
    }
    const PortEntry entry = EntryFor(comNumber);

    if (entry.kind == LineKind::kNone) {
        kernel::DebugPrint("%s: no such port: the port map gives it no line\n", portName.c_str());
        return INVALID_HANDLE_VALUE;
    }
    std::shared_ptr<Port> port;
    if (entry.kind == LineKind::kDevice) {
        port = std::make_shared<Port>(std::make_shared<Wire>(), portName);
        port->driver = OpenTtyLine(portName, entry.devicePath, port->core);
    } else if (std::shared_ptr<Wire> wire = VirtualWireFor(comNumber)) {
        port = std::make_shared<Port>(wire, portName);
        port->driver = OpenVirtualLine(portName, comNumber, port->core);
    }
    if (!port || !port->driver) {
        return INVALID_HANDLE_VALUE;
    }
    port->dcb.flags = kFlagBinary | (DTR_CONTROL_ENABLE << kDtrControlShift) |
                      (RTS_CONTROL_ENABLE << kRtsControlShift);
    port->dcb.XonChar = 0x11;
    port->dcb.XoffChar = 0x13;
    port->driver->ReadState(&port->dcb);

    std::unique_lock lock(tableLock);
    const HANDLE handle = ++lastHandle;
    openPorts[handle] = std::move(port);
    return handle;
}

}  // namespace

HANDLE CreateFileA(const char* name, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) {
    return name != nullptr ? OpenByName(name) : INVALID_HANDLE_VALUE;
}

HANDLE CreateFileW(const wchar_t* name, DWORD access, DWORD shareMode, void* security,
                   DWORD disposition, DWORD flags, HANDLE templateFile) {
    if (name == nullptr) {
        return INVALID_HANDLE_VALUE;
    }
    std::string narrow;
    for (const wchar_t* c = name; *c != L'\0'; ++c) {
        // Port names are ASCII; anything else cannot name a port.
        narrow.push_back(*c < 0x80 ? static_cast<char>(*c) : '?');
    }
    return CreateFileA(narrow.c_str(), access, shareMode, security, disposition, flags,
                       templateFile);
}

BOOL GetCommState(HANDLE handle, DCB* dcb) {
    Call port(handle);
    if (!port || dcb == nullptr || Vanished(*port)) {
        return 0;
    }
    std::lock_guard lock(port->settingsLock);
    port->driver->ReadState(&port->dcb);
    *dcb = port->dcb;
    dcb->DCBlength = sizeof(DCB);
    return 1;
}

BOOL SetCommState(HANDLE handle, const DCB* dcb) {
    Call port(handle);
    if (!port || dcb == nullptr || Vanished(*port)) {
        return 0;
    }
    // What no line here can hold is refused before any line is touched.
    if (const std::string why = WhyDcbDoesNotFit(*dcb); !why.empty()) {
        kernel::DebugPrint("%s: settings refused: %s\n", port->name.c_str(), why.c_str());
        return 0;
    }
    std::lock_guard lock(port->settingsLock);
    if (!port->driver->ApplyState(*dcb)) {
        return 0;
    }
    port->dcb = *dcb;
    std::lock_guard wireLock(port->core.wire->lock);
    port->core.parityChecking = (dcb->flags & kFlagParity) != 0;
    port->core.eventChar = dcb->EvtChar;
    return 1;
}

BOOL GetCommTimeouts(HANDLE handle, COMMTIMEOUTS* timeouts) {
    Call port(handle);
    if (!port || timeouts == nullptr) {
        return 0;
    }
    std::lock_guard lock(port->core.wire->lock);
    if (port->core.vanished) {
        return 0;
    }
    *timeouts = port->core.timeouts;
    return 1;
}

BOOL SetCommTimeouts(HANDLE handle, const COMMTIMEOUTS* timeouts) {
    Call port(handle);
    if (!port || timeouts == nullptr) {
        return 0;
    }
    std::lock_guard lock(port->core.wire->lock);
    if (port->core.vanished) {
        return 0;
    }
    port->core.timeouts = *timeouts;
    return 1;
}

BOOL SetCommMask(HANDLE handle, DWORD mask) {
    Call port(handle);
    if (!port || Vanished(*port)) {
        return 0;
    }
    if (mask & EV_TXEMPTY) {
        // These lines do not raise it: a wait for it would never end.
        kernel::DebugPrint("%s: EV_TXEMPTY is not supported\n", port->name.c_str());
        return 0;
    }
    CoreSetMask(port->core, mask);
    return 1;
}

BOOL WaitCommEvent(HANDLE handle, DWORD* events, void*) {
    Call port(handle);
    if (!port || events == nullptr) {
        return 0;
    }
    // A line that lets readers take input directly watches it itself during the wait.
    DirectReceiver* const line = port->core.direct;
    if (line != nullptr) {
        line->EventWait(true);
    }
    const BOOL result = CoreWaitEvent(port->core, events);
    if (line != nullptr) {
        line->EventWait(false);
    }
    return result;
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD count, DWORD* got, void*) {
    DWORD ignored = 0;
    DWORD& result = got != nullptr ? *got : ignored;
    result = 0;
    Call port(handle);
    if (!port || (buffer == nullptr && count > 0)) {
        return 0;
    }
    return CoreRead(port->core, static_cast<BYTE*>(buffer), count, &result);
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD count, DWORD* written, void*) {
    DWORD ignored = 0;
    DWORD& result = written != nullptr ? *written : ignored;
    result = 0;
    Call port(handle);
    if (!port || (buffer == nullptr && count > 0)) {
        return 0;
    }
    COMMTIMEOUTS timeouts;
    {
        std::lock_guard lock(port->core.wire->lock);
        if (port->core.vanished) {
            return 0;
        }
        timeouts = port->core.timeouts;
    }
    return port->driver->Write(static_cast<const BYTE*>(buffer), count, &result, timeouts);
}

BOOL ClearCommError(HANDLE handle, DWORD* errors, COMSTAT* status) {
    Call port(handle);
    if (!port) {
        return 0;
    }
    if (DirectReceiver* const line = port->core.direct; line != nullptr) {
        line->Synchronise();
    }
    DWORD latched = 0;
    if (!CoreTakeErrors(port->core, &latched, status)) {
        return 0;
    }
    if (errors != nullptr) {
        *errors = latched;
    }
    if (status != nullptr) {
        status->cbOutQue = port->driver->OutputQueued();
    }
    return 1;
}

BOOL GetCommModemStatus(HANDLE handle, DWORD* status) {
    Call port(handle);
    if (!port || status == nullptr || Vanished(*port)) {
        return 0;
    }
    return port->driver->ModemStatus(status) ? 1 : 0;
}

BOOL EscapeCommFunction(HANDLE handle, DWORD code) {
    Call port(handle);
    if (!port || Vanished(*port)) {
        return 0;
    }
    {
        // Under handshaking the line belongs to the driver's flow control.
        std::lock_guard lock(port->settingsLock);
        const bool rts = code == SETRTS || code == CLRRTS;
        const bool dtr = code == SETDTR || code == CLRDTR;
        if ((rts && RtsControl(port->dcb) == RTS_CONTROL_HANDSHAKE) ||
            (dtr && DtrControl(port->dcb) == DTR_CONTROL_HANDSHAKE)) {
            kernel::DebugPrint("%s: %s is under handshake flow control\n", port->name.c_str(),
                               rts ? "RTS" : "DTR");
            return 0;
        }
    }
    return port->driver->Escape(code) ? 1 : 0;
}

BOOL SetCommBreak(HANDLE handle) {
    return EscapeCommFunction(handle, SETBREAK);
}

BOOL ClearCommBreak(HANDLE handle) {
    return EscapeCommFunction(handle, CLRBREAK);
}

BOOL CloseHandle(HANDLE handle) {
    std::shared_ptr<Port> port;
    {
        std::unique_lock lock(tableLock);
        const auto found = openPorts.find(handle);
        if (found == openPorts.end()) {
            return 0;
        }
        port = std::move(found->second);
        openPorts.erase(found);
    }
    // Wake every call inside, let them leave, then release the device.
    port->closing.store(true);
    CoreClose(port->core);
    port->driver->Cancel();
    {
        std::unique_lock lock(port->core.wire->lock);
        port->core.wire->changed.wait(lock, [&] { return port->callsInside.load() == 0; });
    }
    port->driver->Shutdown();
    return 1;
}

void LoadPortMap(const std::string& path) {
    std::lock_guard lock(mapLock);
    LoadPortMapLocked(path, true);
}

}  // namespace serial
