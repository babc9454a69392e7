#include "platform/ProcessSecrets.h"

#if defined(__linux__)
#include <sys/prctl.h>
#endif

namespace lockleaf
{

void keepSecretsOutOfCoreDumps()
{
#if defined(__linux__)
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
}

} // namespace lockleaf
