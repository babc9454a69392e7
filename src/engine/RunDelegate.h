#pragma once

#include <QString>

namespace lockleaf
{

// What a run needs of the window (or of lockleaf-cli).
class RunDelegate
{
public:
    virtual ~RunDelegate() = default;
    // Called on the run's thread after each output file and once more at the
    // end of the run, with "Total Time Taken : <timeTaken> <done>/<total>".
    // The window performs it on the main thread and returns when it has run.
    virtual void updateTimeTakenLabel(const QString &text) = 0;
};

} // namespace lockleaf
