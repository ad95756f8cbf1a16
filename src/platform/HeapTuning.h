#pragma once

// Lets the heap grow in large steps. Building the memo table of a very large card file
// makes millions of small allocations; growing and trimming the heap a page at a time
// made the build grow faster than linearly (page faults on memory given back and taken
// again). Untouched reserve costs no resident memory.
void TuneHeapForLargeTables();
