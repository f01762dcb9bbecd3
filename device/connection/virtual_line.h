// Virtual lines, in process, behind the same port operations as a tty: a loopback plug
// (TX to RX, RTS to CTS, DTR to DSR and DCD), an open line (nothing connected) and the two
// ends of a null-modem cable (TX to the far RX, RTS to the far CTS, DTR to the far DSR and
// DCD). A paced line delivers each byte when its last stop bit would have left the wire at
// the sender's rate and framing; an unpaced one delivers at once. Receive queues are bounded
// and flow control works as on a real line: a receiver with RTS handshake lowers RTS when its
// queue fills past three quarters and raises it at half; one with fInX sends XoffChar and
// XonChar at the same points, ahead of the bytes waiting in its transmitter. A transmitter
// with fOutxCtsFlow stops while CTS is low, and one with fOutX stops at a received XoffChar
// (from the far end's flow control or in its data, or its own data on a loopback plug) until
// XonChar; EscapeCommFunction(SETXOFF) and SETXON act the same way. Without flow control the
// bytes that do not fit are lost and reported as CE_RXOVER.
//
// The fault functions act on the port with the given COM number, open or not, and return
// false when the number is not a virtual port. They may be called from any thread.
#pragma once

#include <memory>
#include <string>

#include "device/connection/line_driver.h"
#include "device/connection/port_core.h"
#include "device/connection/port_map.h"

namespace serial {

// Replaces every virtual line by those of `map`. Only while no virtual port is open.
void ResetVirtualLines(const PortMap& map);

// The wire a port on this virtual line must be built with (its PortCore shares it).
std::shared_ptr<Wire> VirtualWireFor(int comNumber);

// Attaches `core` to the line; null, with the reason in the debug output, when the port is
// open already, refused as busy or gone.
std::unique_ptr<LineDriver> OpenVirtualLine(const std::string& portName, int comNumber,
                                            PortCore& core);

enum class LineFault { kBreak, kFrameError, kParityError, kOverrun };

// The port's receiver meets the fault: a break or an overrun at once, a framing or parity
// error on the next byte it receives.
bool InjectLineFault(int comNumber, LineFault fault);
// The byte that the port transmits after `skip` more bytes is lost, or arrives changed
// (xor'ed with `flip`).
bool DropTransmittedByte(int comNumber, unsigned skip);
bool ChangeTransmittedByte(int comNumber, unsigned skip, unsigned char flip);
// The port's next write moves at most `limit` bytes and reports that count.
bool ShortenNextWrite(int comNumber, unsigned limit);
// The port goes away (calls on open handles fail, opens fail) or comes back.
bool SetPortVanished(int comNumber, bool vanished);
// Opens of the port are refused as busy.
bool SetPortBusy(int comNumber, bool busy);
// The far end raises or lowers the ring indicator.
bool SetRingIndicator(int comNumber, bool on);

}  // namespace serial
