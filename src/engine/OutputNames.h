#pragma once

#include "engine/FingerprintSet.h"

#include <QDateTime>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

namespace lockleaf
{

// The output paths of one run. An output keeps its source's file name unless
// that path was already written by this run or is a source the run has still
// to read; then it gets the first free "<name> (N).<ext>" (N from 2) that does
// not exist on disk. A file that existed before the run keeps being replaced
// by the output of its name. One instance per run; each call is thread-safe,
// but the names only match a one-at-a-time run when the outputs of one
// family (see familyOf) are named in list order.
class OutputNames final
{
public:
    // The sources of the run, in any order; each is pending until taken.
    void setSources(const QStringList &sourcePaths);
    // Sources of the run not named by setSources: whether `path` is one still
    // to be read once `sourcePath` is (called under the names' lock).
    using PendingTest = std::function<bool(const QString &path, const QString &sourcePath)>;
    void setPendingTest(PendingTest test) { m_pendingTest = std::move(test); }
    // Where the output of `sourcePath` goes in `outputFolder`; the source
    // itself is no longer pending after this.
    QString pathFor(const QString &outputFolder, const QString &sourcePath);
    // Records a written output: no later output of the run may replace it.
    void markWritten(const QString &outputPath);

    // "<name> (n).<ext>" of a path: "/o/a.pdf", 2 -> "/o/a (2).pdf".
    static QString numbered(const QString &path, int n);
    // The path every numbered name of `path` shares: "/o/a (3).pdf" and
    // "/o/a.pdf" -> "/o/a.pdf". Naming only looks at paths of one family.
    static QString familyOf(const QString &path);
    // The families the output of `sourcePath` and the source itself are in.
    static QStringList familiesOf(const QString &outputFolder, const QString &sourcePath);
    // The backup copy of `readPath` (see Process::backupPathFor).
    static QString backupPathFor(const QString &readPath, bool isSecured, const QDateTime &now);

private:
    bool isTaken(const QString &path, const QString &sourcePath) const;

    mutable QMutex m_mutex; // guards the two sets
    // Outputs written, as fingerprints of their paths: a run of a million
    // files keeps 8 bytes each. A false match only numbers a name.
    FingerprintSet m_written;
    QSet<QString> m_pending;
    PendingTest m_pendingTest;
};

} // namespace lockleaf
