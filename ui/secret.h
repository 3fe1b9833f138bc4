#pragma once

#include <QString>

// The password passes through the window on its way to the job; no copy of
// it is to outlive that.
namespace trelvo {

// Overwrites the characters with zeros and empties the text, keeping its
// storage. A text still shared with another holder (the edit it was read
// from) is only let go: its characters are that holder's too.
void Wipe(QString& secret);

}  // namespace trelvo
