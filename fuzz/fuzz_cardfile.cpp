// Any bytes as a card file load without a crash into a well-formed table.
#include "FuzzInput.h"
#include "memo/MemoTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = fuzz::scratchPath("cards.vlw");
    fuzz::writeScratch(path, data, size);
    NoHistory history;
    MemoGroups table;
    ReadMemoFile(path, history, table);
    if (table.size() > MaxMemoGroups)
        fuzz::fail("more groups than the table may hold");
    for (const MemoGroup &group : table) {
        if (group.ItemNames.size() != group.ItemTexts.size())
            fuzz::fail("item names and texts out of step");
    }
    return 0;
}
