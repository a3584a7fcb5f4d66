#pragma once

class QFileDevice;

namespace Puckdex {

// Asks the operating system to put what was written to file on the disk
// itself, not only in its cache. The one place with platform calls.
bool syncToDisk(QFileDevice &file);

} // namespace Puckdex
