#include "Kzutil.h"

const char* KzutilVersion()
{
    return VISTREL_VERSION;
}
