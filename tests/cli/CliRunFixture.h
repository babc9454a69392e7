#pragma once

// The real lockleaf-cli run to completion on files in a temporary folder:
// sources under in/, outputs under out/, logs under logs/.

#include "CliProcess.h"

namespace
{

class CliRunFixture : public CliProcess
{
protected:
    testsupport::RunResult cli(QStringList args, const QByteArray &stdinBytes = {}) const
    {
        args << "--log-dir" << tmp.file("logs");
        return testsupport::runProgram(CliProcess::cli(), args, stdinBytes);
    }
};

} // namespace
