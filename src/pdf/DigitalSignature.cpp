#include "pdf/DigitalSignature.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjGen.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <exception>
#include <set>

namespace lockleaf
{

namespace
{

// Field trees are shallow in practice; the bounds keep a hostile file from
// turning a cheap query into a long walk.
constexpr int kMaxDepth = 32;
constexpr size_t kMaxFields = 100000;

struct FieldWalk {
    std::set<QPDFObjGen> seen;

    // /FT and /V are inheritable: a widget kid may carry the value of a parent
    // that names the type, or the other way round.
    bool signedField(QPDFObjectHandle field, bool inheritedSig, bool inheritedValue, int depth)
    {
        if (!field.isDictionary() || depth > kMaxDepth || seen.size() > kMaxFields)
            return false;
        if (field.isIndirect() && !seen.insert(field.getObjGen()).second)
            return false;
        QPDFObjectHandle type = field.getKey("/FT");
        const bool isSig = type.isName() ? type.getName() == "/Sig" : inheritedSig;
        const bool hasValue = field.hasKey("/V") ? field.getKey("/V").isDictionary() : inheritedValue;
        QPDFObjectHandle kids = field.getKey("/Kids");
        if (!kids.isArray() || kids.getArrayNItems() == 0)
            return isSig && hasValue;
        // A signed parent whose kids are only widgets is signed as well.
        if (isSig && hasValue)
            return true;
        for (int i = 0; i < kids.getArrayNItems(); ++i)
            if (signedField(kids.getArrayItem(i), isSig, hasValue, depth + 1))
                return true;
        return false;
    }
};

} // namespace

bool hasDigitalSignature(QPDF &qpdf)
{
    try {
        QPDFObjectHandle root = qpdf.getRoot();
        QPDFObjectHandle perms = root.getKey("/Perms");
        if (perms.isDictionary() && (perms.hasKey("/DocMDP") || perms.hasKey("/UR3")))
            return true;
        QPDFObjectHandle form = root.getKey("/AcroForm");
        QPDFObjectHandle fields = form.isDictionary() ? form.getKey("/Fields") : QPDFObjectHandle();
        if (!fields.isArray())
            return false;
        FieldWalk walk;
        for (int i = 0; i < fields.getArrayNItems(); ++i)
            if (walk.signedField(fields.getArrayItem(i), false, false, 0))
                return true;
    } catch (const std::exception &) {
        // Damaged structure: nothing we can call a signature.
    }
    return false;
}

} // namespace lockleaf
