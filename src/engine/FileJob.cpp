#include "engine/FileJob.h"

#include "engine/OutputNames.h"
#include "engine/RunSecurity.h"
#include "engine/RunStatus.h"
#include "model/PDFSettings.h"
#include "model/Settings.h"
#include "pdf/FileCopy.h"
#include "pdf/PDFDocument.h"
#include "pdf/SourceIdentity.h"
#include "pdf/WriteOut.h"

#include <QFileInfo>

#include <exception>
#include <memory>

namespace lockleaf
{

namespace
{

QString reasonOf(const std::exception &e)
{
    return QString::fromLocal8Bit(e.what());
}

// A failed write's status: its own when the source changed under it.
QString failedStatus(const PDFDocument &document, const QString &status)
{
    return document.lastOutcome() == PDFDocument::Outcome::SourceChanged ? kStatusSourceChanged : status;
}

} // namespace

FileJob::Result FileJob::run(const FileItem &item, LogFiles &record, const QString &outputFolder) const
{
    Result result;
    Settings *settings = m_context.settings;
    OutputNames &outputNames = *m_context.outputNames;
    auto written = [&](const QString &status, const QString &outputPath) {
        record.setStatus(status);
        outputNames.markWritten(outputPath);
        ++result.written;
    };
    const QString sourcePath = item.filePath().toLocalFile();
    QString readPath = sourcePath;
    // The source as the run first sees it: the output counts, and the source
    // is replaced, only while it is still this file in this state.
    const SourceIdentity source = SourceIdentity::of(sourcePath);
    if (source.missing) {
        record.setStatus(kStatusMissing);
        return result;
    }
    // In place: the output's name is the source itself (or another name of it).
    const QString naturalOutput = outputPathFor(outputFolder, sourcePath);
    const bool inPlace = source.sameFile(SourceIdentity::of(naturalOutput));
    if (inPlace && source.links > 1) {
        // Replacing one name would leave the others holding the old content.
        record.setStatus(kStatusHardLinks);
        record.setReason(QStringLiteral("%1 names in all").arg(source.links));
        return result;
    }

    if (settings && settings->isBackupFile()) {
        const QString backupPath = OutputNames::backupPathFor(readPath, item.isSecured(), now());
        // Never over an earlier backup, never a partial copy under its name.
        const QString problem = copyFileDurably(readPath, backupPath);
        if (!problem.isEmpty()) {
            record.setStatus(SourceIdentity::of(sourcePath).missing ? kStatusMissing : kStatusNoBackup);
            record.setReason(problem);
            return result;
        }
        readPath = backupPath;
    }

    if (m_context.hook)
        m_context.hook(FileHookPoint::BeforeOpen, readPath);
    // The password that unlocked the file when it was added is tried first: a
    // secured file then opens once, not first refused without it.
    std::unique_ptr<PDFDocument> document = PDFDocument::initWithURL(readPath, item.pdfOpenPassword());
    if (!document) {
        record.setStatus(SourceIdentity::of(readPath).missing ? kStatusMissing : kStatusUnopenable);
        return result;
    }
    document->requireUnchanged(source);

    try {
        bool unlockFailed = false;
        bool isOpen = false;
        if (document->isEncrypted() && !document->unlockWithPassword(item.pdfOpenPassword()))
            unlockFailed = true;
        else if (!document->allowsCopying())
            isOpen = true;

        // Rewriting a signed document breaks its signatures: only when allowed.
        const bool keepSigned =
            !unlockFailed && !isOpen && document->isDigitallySigned() &&
            !(settings && settings->pdfSettings() && settings->pdfSettings()->rewriteSignedDocuments());
        if (keepSigned) {
            record.setStatus(kStatusSigned);
        } else if (!unlockFailed && !isOpen) {
            QString outputPath = outputNames.pathFor(outputFolder, sourcePath);
            if (outputPath != naturalOutput) {
                record.setRenamedOutput(outputPath);
                record.setTargetPath(outputPath);
            } else if (inPlace && QFileInfo(outputPath).isSymLink()) {
                // Secure the document the link points to and keep the link:
                // a rename over the link itself would leave the document as it was.
                outputPath = QFileInfo(outputPath).canonicalFilePath();
            }
            // Without settings there is no mode to run in: write nothing rather
            // than fall back to removing security.
            const int securityType = settings ? settings->securityType() : -1;
            if (m_context.hook && (securityType == 0 || securityType == 1))
                m_context.hook(FileHookPoint::BeforeWrite, outputPath);
            if (securityType == 0) {
                if (writeUnsecured(*document, outputPath)) {
                    written(kStatusUnsecured, outputPath);
                } else {
                    record.setStatus(failedStatus(*document, kStatusUnsecureFailed));
                    record.setReason(document->lastError());
                }
            } else if (securityType == 1) {
                PDFSettings *pdfSettings = settings->pdfSettings();
                const QString problem =
                    pdfSettings ? securityProblemFor(*pdfSettings, m_context.keyLengthOverride, item)
                                : QString();
                SecuredWriteResult outcome = SecuredWriteResult::NotAttempted;
                if (pdfSettings && !problem.isEmpty())
                    outcome = SecuredWriteResult::Failed; // refused before anything is written
                else if (pdfSettings)
                    outcome = writeSecured(*document, outputPath,
                                           runSecurityFor(*pdfSettings, m_context.keyLengthOverride, item));
                switch (outcome) {
                case SecuredWriteResult::Written:
                    written(kStatusSecured, outputPath);
                    break;
                case SecuredWriteResult::Failed:
                    record.setStatus(problem.isEmpty() ? failedStatus(*document, kStatusSecureFailed)
                                                       : kStatusSecureFailed);
                    record.setReason(problem.isEmpty() ? document->lastError() : problem);
                    break;
                case SecuredWriteResult::NotAttempted:
                    break;
                }
            }
        } else if (!document->isEncrypted()) {
            record.setStatus(kStatusUnreadable);
        } else if (unlockFailed) {
            record.setStatus(kStatusSecuredUnreadable);
            // Why, when it is more than a wrong password (damaged encryption).
            if (document->lastError() != QLatin1String("invalid password"))
                record.setReason(document->lastError());
        } else if (isOpen && !document->allowsCopying()) {
            record.setStatus(kStatusPermission);
        } else {
            record.setStatus(kStatusSecuredUnreadable);
        }
    } catch (const std::exception &e) {
        result.unexpected = true;
        record.setStatus(reasonOf(e));
    } catch (...) {
        result.unexpected = true;
        record.setStatus(QStringLiteral("unknown exception"));
    }
    // The document (and the file it holds open) is released before the next one is opened.
    document.reset();
    return result;
}

} // namespace lockleaf
