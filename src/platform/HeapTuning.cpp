#include "platform/HeapTuning.h"

#include <malloc.h>

namespace {
constexpr int LargeTopPad = 256 * 1024 * 1024;
constexpr int NormalTopPad = 128 * 1024; // the C library's own default
} // namespace

LargeHeapWork::LargeHeapWork()
{
    mallopt(M_TOP_PAD, LargeTopPad);
}

LargeHeapWork::~LargeHeapWork()
{
    mallopt(M_TOP_PAD, NormalTopPad);
    ReleaseFreeMemory();
}

void ReleaseFreeMemory()
{
    malloc_trim(0);
}
