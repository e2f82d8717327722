#include "idct/lanes.h"

namespace lanes {

namespace {

bool processorHasAvx2()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();  // this may run before the runtime's own constructors
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

}  // namespace

bool wide = processorHasAvx2();

}  // namespace lanes
