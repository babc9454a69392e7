#pragma once

// One real run over one file, as the engine suites start it.

#include "engine/Process.h"
#include "model/FileItem.h"
#include "model/Settings.h"

#include <QDateTime>
#include <QString>

#include <gtest/gtest.h>

#include <functional>

namespace
{

struct OneRun {
    QString outFolder = {}; // "" writes beside the source
    QString logs = {};
    QString itemPassword = {}; // null: the item as listed
    int keyLength = 0;         // 0: the settings' strength
    std::function<QDateTime()> clock = {};
};

// Runs `settings` over `source` and gives the file's status, or "<N records>"
// when the run did not record exactly one. Nothing is opened afterwards.
inline QString runOne(lockleaf::Settings &settings, const QString &source, const OneRun &how)
{
    using namespace lockleaf;
    settings.setOutputFolderPath(how.outFolder);
    settings.setIsOpenFolderAfterConversion(false);
    Process process;
    process.setSettings(&settings);
    process.setLogsFolder(how.logs);
    process.setKeyLengthOverride(how.keyLength);
    if (how.clock)
        process.setClock(how.clock);
    const FileItemPtr item = FileItem::initWithURL(QUrl::fromLocalFile(source));
    if (!how.itemPassword.isNull())
        item->setPdfOpenPassword(how.itemPassword);
    process.outputFiles() << std::make_shared<OutputFile>(OutputFile{source, {item}});
    process.setIsCombining(true);
    process.start();
    EXPECT_TRUE(process.isCompleted());
    const QList<LogFilesPtr> records = process.log().files();
    return records.size() == 1 && records.at(0) ? records.at(0)->status()
                                                : QString("<%1 records>").arg(records.size());
}

} // namespace
