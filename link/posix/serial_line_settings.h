#pragma once

// Terminal settings of an open serial port. Each step says whether the
// device took it; a device that refuses one (not a terminal, or no modem
// lines) keeps what it had.
namespace trelvo {

// Raw bytes, 8 data bits, no parity, one stop bit, receiver on, modem status
// lines ignored, RTS/CTS handshake, no XON/XOFF; a read returns at once with
// what is there.
bool ApplyLineSettings(int fd);

// The recorder must see DTR off.
bool HoldDtrOff(int fd);

// Drops whatever the driver holds in both directions.
bool PurgeQueues(int fd);

}  // namespace trelvo
