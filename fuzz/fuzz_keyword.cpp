// Any keyword: the service address holds only safe characters, and undoing the escapes
// gives back the keyword's code page 932 bytes exactly.
#include "lookup/ServiceUrl.h"
#include "platform/Cp932.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

int hexValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1; // lower case is no escape of ours
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString keyword = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString encoded = ServiceUrlEncode(keyword);
    QByteArray bytes;
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const QChar c = encoded[i];
        if (c == u'+') {
            bytes += ' ';
        } else if (c == u'%') {
            if (i + 2 >= encoded.size())
                fail("an escape cut short");
            const int high = hexValue(encoded[i + 1]), low = hexValue(encoded[i + 2]);
            if (high < 0 || low < 0)
                fail("an escape without two upper-case hex digits");
            bytes += char(high * 16 + low);
            i += 2;
        } else if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')) {
            bytes += char(c.unicode());
        } else {
            fail("a character that should have been escaped");
        }
    }
    if (bytes != Cp932::encode(keyword))
        fail("the escapes do not give back the keyword's bytes");
    return 0;
}
