#pragma once

class QPDF;

namespace lockleaf
{

// Whether the open document carries a digital signature that rewriting the
// file would invalidate:
// - an AcroForm field of type /Sig (its own or inherited /FT) whose value
//   (/V, own or inherited) is a dictionary; an empty signature field, waiting
//   to be signed, does not count;
// - or a catalog /Perms dictionary with a /DocMDP or /UR3 entry.
// Reads the object structure only (no content streams), never throws: an
// unreadable structure counts as unsigned. Cycles in /Kids are tolerated.
bool hasDigitalSignature(QPDF &qpdf);

} // namespace lockleaf
