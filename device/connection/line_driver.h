// What an open port needs from the line behind it, a tty or a virtual line. The receive
// side lives in the port's PortCore, which the driver fills (a tty also lets the reading
// thread fill it, through the core's DirectReceiver); the driver does the rest.
//
// Threads: every operation may be called from any thread, also while another thread is
// inside another operation of the same driver. Cancel is called once, when CloseHandle
// begins, and must make a blocked Write return at once; Shutdown is called after every
// call has left the port and releases the device.
#pragma once

#include "device/connection/serial_types.h"

namespace serial {

class LineDriver {
  public:
    virtual ~LineDriver() = default;

    // Applies line settings that a tty can hold in principle (the caller has checked them);
    // false, with the line left as it was, when this device does not keep them exactly.
    virtual bool ApplyState(const DCB& dcb) = 0;
    // Fills the line fields of the DCB from the line.
    virtual void ReadState(DCB* dcb) = 0;
    // Writes under the write time-outs; FALSE once cancelled or when the device is gone.
    virtual BOOL Write(const BYTE* data, DWORD count, DWORD* written,
                       const COMMTIMEOUTS& timeouts) = 0;
    // SETRTS, CLRRTS, SETDTR, CLRDTR, SETBREAK, CLRBREAK, SETXOFF, SETXON.
    virtual bool Escape(DWORD code) = 0;
    virtual bool ModemStatus(DWORD* status) = 0;
    virtual DWORD OutputQueued() = 0;
    virtual void Cancel() = 0;
    virtual void Shutdown() = 0;
};

}  // namespace serial
