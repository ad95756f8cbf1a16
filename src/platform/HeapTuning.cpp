#include "platform/HeapTuning.h"

#include <malloc.h>

void TuneHeapForLargeTables()
{
    mallopt(M_TOP_PAD, 256 * 1024 * 1024);
}
