#include "ui/RunTexts.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

namespace lockleaf
{

namespace
{

constexpr char kContext[] = "RunText";

// Fixed texts, exactly as the engine (engine/RunStatus.h, Process,
// FileGatherer, RunSecurity) and the pdf layer write them; listed here for
// the translators, looked up by their text.
[[maybe_unused]] constexpr const char *kFixed[] = {
    QT_TRANSLATE_NOOP("RunText", "Un-Secured Completed"),
    QT_TRANSLATE_NOOP("RunText", "Secured Completed"),
    QT_TRANSLATE_NOOP("RunText", "Unable to un-secure pdf document!"),
    QT_TRANSLATE_NOOP("RunText", "Unable to secure pdf document!"),
    QT_TRANSLATE_NOOP("RunText", "Permission Password Required."),
    QT_TRANSLATE_NOOP("RunText", "Unable to read secured pdf docuemnt!"),
    QT_TRANSLATE_NOOP("RunText", "Unable to read pdf document!"),
    QT_TRANSLATE_NOOP("RunText", "Unable to open pdf document!"),
    QT_TRANSLATE_NOOP("RunText", "Skipped: digitally signed (securing would invalidate its signatures)"),
    QT_TRANSLATE_NOOP("RunText", "Unable to create backup file!"),
    QT_TRANSLATE_NOOP("RunText", "File not found: moved or deleted since it was listed"),
    QT_TRANSLATE_NOOP("RunText", "Skipped: the same file as an earlier entry"),
    QT_TRANSLATE_NOOP("RunText", "source changed while it was being read"),
    QT_TRANSLATE_NOOP("RunText",
                      "Not replaced: the file has other hard links, which would keep its old content"),
    QT_TRANSLATE_NOOP("RunText", "unknown exception"),
    QT_TRANSLATE_NOOP("RunText", "Lockleaf unable able to split some of the files!\r\n"
                                 "Please check log for more information."),
    QT_TRANSLATE_NOOP("RunText", "Process cancelled!"),
    QT_TRANSLATE_NOOP("RunText", "All files splitted successfully."),
    QT_TRANSLATE_NOOP("RunText", "In Process..."),
    QT_TRANSLATE_NOOP("RunText", "no such file or folder"),
    QT_TRANSLATE_NOOP("RunText", "not a regular file"),
    QT_TRANSLATE_NOOP("RunText", "not a PDF file"),
    QT_TRANSLATE_NOOP("RunText", "name not valid in the file-name encoding"),
    QT_TRANSLATE_NOOP("RunText", "no PDF files in this folder"),
    QT_TRANSLATE_NOOP("RunText", "no PDF files in this folder (subfolders not included)"),
    QT_TRANSLATE_NOOP("RunText", "Printing or copying can only be forbidden with a permission password: "
                                 "the open password alone would unlock every right. "
                                 "Please enter a permission password."),
    QT_TRANSLATE_NOOP("RunText", "The password contains a NUL character, which no PDF reader can take."),
    QT_TRANSLATE_NOOP("RunText", "The open and permission passwords are the same password for the key: "
                                 "the open password would unlock every right. "
                                 "Please enter a different permission password."),
    // Why a password map line was not taken (model/PasswordMap).
    QT_TRANSLATE_NOOP("RunText", "the map is UTF-16 text; save it as UTF-8"),
    QT_TRANSLATE_NOOP("RunText", "not valid UTF-8 text"),
    QT_TRANSLATE_NOOP("RunText", "a NUL character in the line"),
    QT_TRANSLATE_NOOP("RunText", "malformed line: no tab between the path and the password"),
    QT_TRANSLATE_NOOP("RunText", "empty path"),
    QT_TRANSLATE_NOOP("RunText", "missing password"),
};

// Texts with values in them: each placeholder is a number ('n'), a duration
// ('d', see shownDuration) or any text ('t'), and a text value is shown
// translated in turn.
struct Template {
    const char *source;
    const char *kinds;
};

constexpr Template kTemplates[] = {
    {QT_TRANSLATE_NOOP("RunText", "%1 of %2 files written, %3 failed.\r\n"
                                  "Please check each file's status or the log for the reasons."),
     "nnn"},
    //: The main window's time line: the time taken (or "In Process..."), files done / files in all.
    {QT_TRANSLATE_NOOP("RunText", "Total Time Taken : %1 %2/%3"), "dnn"},
    {QT_TRANSLATE_NOOP("RunText", "malformed line: %1 fields, at most 3 expected"), "n"},
    {QT_TRANSLATE_NOOP("RunText", "other passwords for a file already given on line %1"), "n"},
    {QT_TRANSLATE_NOOP("RunText", "cannot read the password map: %1"), "t"},
    {QT_TRANSLATE_NOOP("RunText", "the password map is larger than %1 MiB"), "n"},
    {QT_TRANSLATE_NOOP("RunText", "Open password: %1"), "t"},
    {QT_TRANSLATE_NOOP("RunText", "Permission password: %1"), "t"},
    {QT_TRANSLATE_NOOP("RunText", "The password is longer than %1 bytes, the most a %2-bit key can use."),
     "nn"},
    {QT_TRANSLATE_NOOP("RunText", "The password has characters that a %1-bit key cannot carry; "
                                  "use a 256-bit key or only Latin letters, digits and symbols."),
     "n"},
};

QString translated(const char *source)
{
    return QCoreApplication::translate(kContext, source);
}

// "1 hr(s) 2 min(s) 3 sec(s) ": each part is there only when not zero.
bool timeText(const QString &text, QString *shown)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(?:(\\d+) hr\\(s\\) )?(?:(\\d+) min\\(s\\) )?(?:(\\d+) sec\\(s\\) )?$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (text.isEmpty() || !match.hasMatch())
        return false;
    shown->clear();
    const auto part = [&](int group, const char *source) {
        if (match.hasCaptured(group))
            shown->append(
                QCoreApplication::translate(kContext, source, nullptr, match.captured(group).toInt()));
    };
    part(1, QT_TRANSLATE_N_NOOP("RunText", "%n hr(s) "));
    part(2, QT_TRANSLATE_N_NOOP("RunText", "%n min(s) "));
    part(3, QT_TRANSLATE_N_NOOP("RunText", "%n sec(s) "));
    // Each part ends with a blank for the next; the last one's would double
    // the blank before what follows.
    *shown = shown->trimmed();
    return true;
}

const QList<std::pair<QRegularExpression, const Template *>> &templatePatterns()
{
    static const QList<std::pair<QRegularExpression, const Template *>> patterns = [] {
        QList<std::pair<QRegularExpression, const Template *>> list;
        static const QRegularExpression placeholder(QStringLiteral("%(\\d)"));
        for (const Template &t : kTemplates) {
            const QString source = QString::fromUtf8(t.source);
            QString pattern = QStringLiteral("^");
            qsizetype at = 0;
            QRegularExpressionMatchIterator it = placeholder.globalMatch(source);
            while (it.hasNext()) {
                const QRegularExpressionMatch m = it.next();
                pattern += QRegularExpression::escape(source.mid(at, m.capturedStart() - at));
                const int index = m.captured(1).toInt() - 1;
                pattern += t.kinds[index] == 'n' ? QStringLiteral("(\\d+)") : QStringLiteral("(.*)");
                at = m.capturedEnd();
            }
            pattern += QRegularExpression::escape(source.mid(at)) + QStringLiteral("$");
            list.append({QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption), &t});
        }
        return list;
    }();
    return patterns;
}

QString shown(const QString &text, int depth)
{
    if (text.isEmpty())
        return text;
    const QByteArray source = text.toUtf8();
    const QString fixed = QCoreApplication::translate(kContext, source.constData());
    if (fixed != text)
        return fixed;
    QString time;
    if (timeText(text, &time))
        return time;
    if (depth > 2)
        return text;
    for (const auto &[pattern, t] : templatePatterns()) {
        const QRegularExpressionMatch match = pattern.match(text);
        if (!match.hasMatch())
            continue;
        QStringList values;
        for (int i = 1; i <= match.lastCapturedIndex(); ++i)
            values.append(t->kinds[i - 1] == 'd' ? shownDuration(match.captured(i))
                                                 : shown(match.captured(i), depth + 1));
        // One pass over the translation, so a value holding "%2" stays as it is.
        const QString form = translated(t->source);
        switch (values.size()) {
        case 1:
            return form.arg(values.at(0));
        case 2:
            return form.arg(values.at(0), values.at(1));
        case 3:
            return form.arg(values.at(0), values.at(1), values.at(2));
        default:
            return text;
        }
    }
    return text;
}

} // namespace

QString shownRunText(const QString &text)
{
    return shown(text, 0);
}

QString shownDuration(const QString &text)
{
    // The engine writes nothing for a run under one second.
    if (text.trimmed().isEmpty())
        return QCoreApplication::translate(kContext, "%n sec(s) ", nullptr, 0).trimmed();
    QString time;
    return timeText(text, &time) ? time : shownRunText(text);
}

QString shownOutcome(const RunOutcome &outcome)
{
    if (outcome.status.isEmpty())
        return outcome.failed ? QCoreApplication::translate("RunText", "Not written.") : QString();
    if (outcome.reason.isEmpty())
        return shownRunText(outcome.status);
    return shownRunText(outcome.status) + QStringLiteral(": ") + shownRunText(outcome.reason);
}

} // namespace lockleaf
