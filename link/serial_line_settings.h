#pragma once

// Terminal settings of an open serial port. Each step is best effort: a device
// that refuses it (not a terminal, or no modem lines) keeps what it had.
namespace trelvo {

// Raw bytes, 8 data bits, no parity, one stop bit, receiver on, modem status
// lines ignored, RTS/CTS handshake, no XON/XOFF. With waitingReads a read
// sleeps until a byte arrives; without, it returns at once.
void ApplyLineSettings(int fd, bool waitingReads);

// The recorder must see DTR off.
void HoldDtrOff(int fd);

// Drops whatever the driver holds in both directions.
void PurgeQueues(int fd);

}  // namespace trelvo
