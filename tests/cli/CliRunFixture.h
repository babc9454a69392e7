#pragma once

// The real lockleaf-cli run on files in a temporary folder: sources under
// in/, outputs under out/, logs under logs/.

#include "support/TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

class CliRunFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(tmp.path()).mkpath("in");
        QDir(tmp.path()).mkpath("out");
    }
    QString in(const QString &name) const { return tmp.file("in/" + name); }
    QString out(const QString &name = {}) const
    {
        return tmp.file("out") + (name.isEmpty() ? "" : "/" + name);
    }
    testsupport::RunResult cli(QStringList args, const QByteArray &stdinBytes = {}) const
    {
        args << "--log-dir" << tmp.file("logs");
        return testsupport::runProgram(testsupport::binDir() + "/lockleaf-cli", args, stdinBytes);
    }

    testsupport::TempDir tmp;
};
