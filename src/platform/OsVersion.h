#pragma once

namespace lockleaf
{

// macOS: 10.7 or later. Elsewhere always true (an output folder is then required).
bool isLionOrLater();

// The version test of isLionOrLater for a given major.minor version:
// 10.7 and later, or any major version above 10.
bool isLionOrLaterVersion(int major, int minor);

} // namespace lockleaf
