// libFuzzer entry point; the work is in FuzzBodies.h so ctest can replay inputs.
#include "FuzzBodies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    lockleaf::fuzz::fuzzImportList(data, size);
    return 0;
}
