// Any bytes load as a settings document; after an edit, saving, reloading and saving again
// writes the same bytes, and the edited value reads back.
#include "FuzzInput.h"
#include "settings/iniMente.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString in = fuzz::scratchPath("in.ini");
    static const QString out = fuzz::scratchPath("out.ini");
    fuzz::writeScratch(in, data, size);
    iniMente doc;
    if (!doc.iniLoader(in))
        fuzz::fail("a readable file did not load");
    // Half the inputs also need a byte-order-marked UTF-8 file to hold the value.
    const QString value = size % 2 ? QStringLiteral("C:\\メモ\\x.vlw") : QStringLiteral("/home/Jos\u00E9/x.vlw");
    doc.SetiniValue(QStringLiteral("FuzzEdited"), value);
    if (!doc.iniSaver(out))
        fuzz::fail("save failed");
    const QByteArray first = fuzz::readScratch(out);

    iniMente back;
    if (!back.iniLoader(out))
        fuzz::fail("the saved file did not load");
    if (back.GetiniValue(QStringLiteral("FuzzEdited")) != doc.GetiniValue(QStringLiteral("FuzzEdited")))
        fuzz::fail("the edited value did not read back");
    if (!back.iniSaverSameFilename())
        fuzz::fail("second save failed");
    if (fuzz::readScratch(out) != first)
        fuzz::fail("save, reload, save is not a fixed point");
    return 0;
}
