#pragma once

#include "pdf/WriteOut.h"

namespace lockleaf
{

class PDFSettings;

// The security a run's secured outputs are written with, read from the
// document settings record at the moment a file is written.
// Key length: `keyLengthOverride` when it is 40, 128 or 256, otherwise
// keyLengthForStrength(encryptionStrength). The permissions are the record's.
// Side effect on the shared record (kept, saved later with the settings):
// absent passwords become "", and an empty permission password takes the open
// password.
SecurityOptions runSecurityFrom(PDFSettings &settings, int keyLengthOverride = 0);

} // namespace lockleaf
