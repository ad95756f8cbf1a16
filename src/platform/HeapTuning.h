#pragma once

// Lets the heap grow in large steps while it lives. Building the memo table of a very large
// card file makes millions of small allocations; growing and trimming the heap a page at a
// time made the build grow faster than linearly (page faults on memory given back and taken
// again). Afterwards the normal steps return and what the work left free goes back to the
// system, so a large load does not keep the program large.
class LargeHeapWork
{
public:
    LargeHeapWork();
    ~LargeHeapWork();
    LargeHeapWork(const LargeHeapWork &) = delete;
    LargeHeapWork &operator=(const LargeHeapWork &) = delete;
};

// Gives free heap memory back to the system, after large transient work.
void ReleaseFreeMemory();
