#include "Cp932.h"

#include <iconv.h>

#include <array>
#include <utility>
#include <vector>

namespace {

// Double-byte layout: lead bytes 0x81-0x9F and 0xE0-0xFC, trail bytes 0x40-0x7E and 0x80-0xFC.
constexpr int LeadCount = 31 + 29;

int leadIndex(uchar b)
{
    if (b >= 0x81 && b <= 0x9F)
        return b - 0x81;
    if (b >= 0xE0 && b <= 0xFC)
        return 31 + (b - 0xE0);
    return -1;
}

bool isTrail(uchar b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Tables built once from glibc's CP932 converter (the Microsoft variant of Shift_JIS).
// Control bytes and half-width katakana are handled in code, so the converter's
// single-byte quirks never matter.
struct Tables {
    std::array<std::array<char16_t, 256>, LeadCount> decode{}; // 0 = no character
    std::vector<quint16> encode = std::vector<quint16>(0x10000, 0); // 0 = not encodable

    Tables()
    {
        iconv_t toUtf16 = iconv_open("UTF-16LE", "CP932");
        if (toUtf16 == reinterpret_cast<iconv_t>(-1))
            return;
        std::vector<char16_t> ambiguous;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            const int li = leadIndex(uchar(lead));
            if (li < 0)
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (!isTrail(uchar(trail)))
                    continue;
                char in[2] = {char(lead), char(trail)};
                char out[8];
                char *inp = in, *outp = out;
                size_t inLeft = 2, outLeft = sizeof out;
                iconv(toUtf16, nullptr, nullptr, nullptr, nullptr);
                if (iconv(toUtf16, &inp, &inLeft, &outp, &outLeft) == size_t(-1) || inLeft != 0
                    || sizeof out - outLeft != 2)
                    continue;
                const char16_t u = char16_t(uchar(out[0]) | (uchar(out[1]) << 8));
                // A pair stands for one non-ASCII character; anything else counts as unmapped.
                if (u < 0x80 || (u >= 0xD800 && u <= 0xDFFF) || u == 0xFFFD)
                    continue;
                decode[li][trail] = u;
                if (encode[u] == 0)
                    encode[u] = quint16((lead << 8) | trail);
                else
                    ambiguous.push_back(u);
            }
        }
        iconv_close(toUtf16);
        resolveAmbiguous(ambiguous);
        addJisForms();
    }

    // The JIS table names a few characters differently from Microsoft's. Input methods type
    // the JIS form (a wave dash, a minus sign); Windows programs write these bytes for it.
    // Decoding keeps the Microsoft form, so such a character reads back as its twin.
    void addJisForms()
    {
        constexpr std::pair<char16_t, quint16> forms[] = {
            {0x301C, 0x8160}, {0x2016, 0x8161}, {0x2212, 0x817C}, {0x00A2, 0x8191},
            {0x00A3, 0x8192}, {0x00AC, 0x81CA}, {0x2014, 0x815C}, {0x00A6, 0xFA55},
        };
        for (const auto &[u, code] : forms) {
            if (encode[u] == 0)
                encode[u] = code;
        }
    }

    // Several codes decode to the same character (NEC and IBM extensions); the converter's
    // encode direction knows which one Windows writes.
    void resolveAmbiguous(const std::vector<char16_t> &chars)
    {
        iconv_t fromUtf16 = iconv_open("CP932", "UTF-16LE");
        if (fromUtf16 == reinterpret_cast<iconv_t>(-1))
            return;
        for (char16_t u : chars) {
            char in[2] = {char(u & 0xFF), char(u >> 8)};
            char out[8];
            char *inp = in, *outp = out;
            size_t inLeft = 2, outLeft = sizeof out;
            iconv(fromUtf16, nullptr, nullptr, nullptr, nullptr);
            if (iconv(fromUtf16, &inp, &inLeft, &outp, &outLeft) == size_t(-1)
                || sizeof out - outLeft != 2)
                continue;
            const uchar lead = uchar(out[0]), trail = uchar(out[1]);
            const int li = leadIndex(lead);
            if (li >= 0 && decode[li][trail] == u)
                encode[u] = quint16((lead << 8) | trail);
        }
        iconv_close(fromUtf16);
    }
};

const Tables &tables()
{
    static const Tables t; // thread-safe, built on first use
    return t;
}

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Decodes into dst, which has room for one character per byte; returns the length.
qsizetype decodeInto(const uchar *p, qsizetype n, char16_t *dst)
{
    const Tables &t = tables();
    qsizetype o = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const uchar b = p[i];
        if (b < 0x80) {
            dst[o++] = b;
        } else if (b >= 0xA1 && b <= 0xDF) {
            dst[o++] = char16_t(0xFF61 + (b - 0xA1));
        } else {
            const int li = leadIndex(b);
            char16_t u = 0;
            if (li >= 0 && i + 1 < n)
                u = t.decode[li][p[i + 1]];
            if (u) {
                dst[o++] = u;
                ++i;
            } else {
                // Only this byte is replaced; the next one is read on its own, so a field
                // separator or line break after a broken lead byte survives.
                dst[o++] = 0xFFFD;
            }
        }
    }
    return o;
}

} // namespace

namespace Cp932 {

QString decode(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    // Japanese text needs half as many characters as bytes: short texts (card fields) go
    // through a stack buffer so that the string gets exactly its size.
    constexpr qsizetype StackChars = 1024;
    if (n <= StackChars) {
        char16_t buf[StackChars];
        const qsizetype len = decodeInto(p, n, buf);
        return QString(reinterpret_cast<const QChar *>(buf), len);
    }
    QString out(n, Qt::Uninitialized);
    out.truncate(decodeInto(p, n, reinterpret_cast<char16_t *>(out.data())));
    return out;
}

QByteArray encode(QStringView text, bool *lossless)
{
    const Tables &t = tables();
    const auto *s = reinterpret_cast<const char16_t *>(text.data());
    const qsizetype n = text.size();
    // At most two bytes a character: write straight into the buffer, cut it to size after.
    QByteArray out(n * 2, Qt::Uninitialized);
    char *p = out.data();
    bool ok = true;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            *p++ = char(c);
        } else if (c >= 0xFF61 && c <= 0xFF9F) {
            *p++ = char(0xA1 + (c - 0xFF61));
        } else if (const quint16 code = t.encode[c]) {
            *p++ = char(code >> 8);
            *p++ = char(code & 0xFF);
        } else {
            // One "?" per character: a surrogate pair is one character.
            if (isHighSurrogate(c) && i + 1 < n && isLowSurrogate(s[i + 1]))
                ++i;
            *p++ = '?';
            ok = false;
        }
    }
    out.truncate(p - out.constData());
    if (lossless)
        *lossless = ok;
    return out;
}

bool canEncode(QStringView text)
{
    const Tables &t = tables();
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c >= 0x80 && !(c >= 0xFF61 && c <= 0xFF9F) && t.encode[c] == 0)
            return false;
    }
    return true;
}

} // namespace Cp932
