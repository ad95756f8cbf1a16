// Any bytes decode; the field separator and line breaks survive decoding one for one, and
// decoding what encoding gave back is a fixed point.
#include "FuzzInput.h"
#include "platform/Cp932.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = Cp932::decode(bytes);
    for (const char c : {'\x01', '\r', '\n'}) {
        if (std::count(bytes.begin(), bytes.end(), c) != text.count(QChar(uchar(c))))
            fuzz::fail("a separator or line break was swallowed or invented");
    }
    bool lossless = false;
    const QByteArray encoded = Cp932::encode(text, &lossless);
    const QString again = Cp932::decode(encoded);
    if (lossless && again != text)
        fuzz::fail("lossless encoding did not decode to the same text");
    if (Cp932::encode(again) != encoded)
        fuzz::fail("encode(decode(encode(x))) differs from encode(x)");
    if (Cp932::canEncode(text) != lossless)
        fuzz::fail("canEncode disagrees with encode");
    return 0;
}
