#include "micdetect.h"

namespace MICDetect {

bool isCurrentProcessHasMaxMIC()
{
    return true;
}

} // namespace MICDetect
