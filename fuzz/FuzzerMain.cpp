// One libFuzzer program; VISTREL_FUZZ_TARGET names what it feeds (see FindFuzzTarget).
#include "FuzzTargets.h"

#include <cstdio>
#include <cstdlib>

namespace {

const FuzzTarget& Target()
{
    static const FuzzTarget target = FindFuzzTarget(VISTREL_FUZZ_TARGET);
    return target;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    if (!Target()) {
        std::fprintf(stderr, "no fuzz target named %s\n", VISTREL_FUZZ_TARGET);
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Target()(data, size);
    return 0;
}
