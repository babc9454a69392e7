#pragma once

// lockleaf-cli as a user runs it: a real process with a home of its own.

#include "support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace testsupport;

namespace
{

struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
    QStringList lines() const { return out.split('\n', Qt::SkipEmptyParts); }
};

class CliProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char *dir : {"in", "out", "home", "data", "config"})
            QDir(tmp.path()).mkpath(dir);
    }

    QString cli() const { return binDir() + "/lockleaf-cli"; }
    QString in(const QString &name = {}) const { return tmp.file("in") + (name.isEmpty() ? "" : "/" + name); }
    QString out(const QString &name = {}) const
    {
        return tmp.file("out") + (name.isEmpty() ? "" : "/" + name);
    }

    // The child gets a home of its own, so the app's real settings and logs are
    // out of reach and anything it would write there can be seen.
    void prepare(QProcess &p) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", tmp.file("home"));
        env.insert("XDG_DATA_HOME", tmp.file("data"));
        env.insert("XDG_CONFIG_HOME", tmp.file("config"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(tmp.path());
    }

    // A child still running after `timeoutMs` is killed and the test fails.
    CliResult run(const QStringList &args, const QByteArray &stdinBytes = {}, int timeoutMs = 120000)
    {
        QProcess p;
        prepare(p);
        p.start(cli(), args);
        EXPECT_TRUE(p.waitForStarted(10000));
        p.write(stdinBytes);
        p.closeWriteChannel();
        if (!p.waitForFinished(timeoutMs)) {
            ADD_FAILURE() << "lockleaf-cli did not end: " << args.join(' ').toStdString();
            p.kill();
            p.waitForFinished();
        }
        CliResult r;
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    static QString logPathOf(const CliResult &r)
    {
        const auto m = QRegularExpression("^Log: (.+)$", QRegularExpression::MultilineOption).match(r.out);
        return m.hasMatch() ? m.captured(1) : QString();
    }

    TempDir tmp;
};

} // namespace
