#pragma once

#include "cli/CliRunner.h"

#include <QElapsedTimer>
#include <QString>

namespace lockleaf::cli
{

// One line of progress on a terminal, redrawn in place and at most ten times a
// second; silent when standard error is not a terminal or with --quiet.
class ProgressLine
{
public:
    ProgressLine(const CliIo &io, bool enabled) : m_io(io), m_enabled(enabled && io.err) {}
    ~ProgressLine() { clear(); }

    void show(const QString &text, bool force = false);
    void clear();

private:
    const CliIo &m_io;
    bool m_enabled;
    bool m_shown = false;
    QElapsedTimer m_timer;
};

} // namespace lockleaf::cli
