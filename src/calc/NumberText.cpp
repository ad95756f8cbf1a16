#include "calc/NumberText.h"

#include <charconv>
#include <cmath>
#include <string>

namespace NumberText {
namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

ParseStatus fromChars(const std::string &ascii, std::chars_format format, double *value)
{
    double v = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v, format);
    if (ec == std::errc::result_out_of_range)
        return ParseStatus::TooLarge; // callers sort out the tiny ones first
    if (ec != std::errc() || end != ascii.data() + ascii.size())
        return ParseStatus::NotNumber;
    if (value)
        *value = v;
    return ParseStatus::Ok;
}

// "&H" and "&O" integers, as a hexadecimal float text from_chars rounds correctly.
ParseStatus parseRadix(QStringView digits, bool hex, double *value)
{
    if (digits.isEmpty())
        return ParseStatus::NotNumber;
    std::string bits;
    std::string ascii;
    for (QChar c : digits) {
        const char16_t u = c.unicode();
        if (hex && (isDigit(c) || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F'))) {
            ascii += char(u);
        } else if (!hex && u >= u'0' && u <= u'7') {
            const int d = u - u'0';
            bits += char('0' + ((d >> 2) & 1));
            bits += char('0' + ((d >> 1) & 1));
            bits += char('0' + (d & 1));
        } else {
            return ParseStatus::NotNumber;
        }
    }
    if (!hex) {
        bits.insert(0, (4 - bits.size() % 4) % 4, '0');
        for (size_t i = 0; i < bits.size(); i += 4)
            ascii += "0123456789abcdef"[(bits[i] - '0') * 8 + (bits[i + 1] - '0') * 4 + (bits[i + 2] - '0') * 2
                                        + (bits[i + 3] - '0')];
    }
    return fromChars(ascii, std::chars_format::hex, value);
}

// The rounded value as sign, significant digits without trailing zeros (empty for zero) and
// the decimal exponent of the first digit.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

Decimal decimal15(double value)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    const std::string text(buf, r.ptr);
    Decimal d;
    size_t pos = 0;
    if (text[pos] == '-') {
        d.negative = true;
        ++pos;
    }
    const size_t e = text.find('e');
    for (size_t i = pos; i < e; ++i)
        if (text[i] != '.')
            d.digits += text[i];
    d.exponent = std::stoi(text.substr(e + 1));
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.negative = false; // negative zero reads "0"
    return d;
}

} // namespace

QStringView trimBlanks(QStringView s)
{
    while (!s.isEmpty() && s.front() == u' ')
        s = s.mid(1);
    while (!s.isEmpty() && s.back() == u' ')
        s.chop(1);
    return s;
}

ParseStatus parse(QStringView text, double *value)
{
    text = trimBlanks(text);
    if (text.size() > 2 && text[0] == u'&') {
        const QChar kind = text[1].toUpper();
        if (kind == u'H' || kind == u'O')
            return parseRadix(text.mid(2), kind == u'H', value);
    }
    std::string ascii;
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            ascii += '-';
        ++i;
    }
    int digits = 0, points = 0;
    // Where the first nonzero digit stands, to tell a tiny value from a huge one.
    bool seenNonzero = false;
    int intDigitsAfterNonzero = 0, zerosAfterPoint = 0;
    for (; i < text.size() && (isDigit(text[i]) || text[i] == u'.'); ++i) {
        const char c = char(text[i].unicode());
        ascii += c;
        if (c == '.') {
            if (++points > 1)
                return ParseStatus::NotNumber;
            continue;
        }
        ++digits;
        if (c != '0')
            seenNonzero = true;
        if (points == 0 && seenNonzero)
            ++intDigitsAfterNonzero;
        else if (points == 1 && !seenNonzero)
            ++zerosAfterPoint;
    }
    if (digits == 0)
        return ParseStatus::NotNumber;
    long long exponent = 0;
    if (i < text.size() && (text[i] == u'E' || text[i] == u'e')) {
        ascii += 'e';
        ++i;
        bool negative = false;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
            negative = text[i] == u'-';
            ascii += char(text[i].unicode());
            ++i;
        }
        const qsizetype start = i;
        for (; i < text.size() && isDigit(text[i]); ++i) {
            ascii += char(text[i].unicode());
            exponent = std::min(exponent * 10 + (text[i].unicode() - u'0'), 1000000000LL);
        }
        if (i == start)
            return ParseStatus::NotNumber;
        if (negative)
            exponent = -exponent;
    }
    if (i != text.size())
        return ParseStatus::NotNumber;
    const ParseStatus status = fromChars(ascii, std::chars_format::general, value);
    if (status != ParseStatus::TooLarge)
        return status;
    const long long magnitude = exponent + (intDigitsAfterNonzero > 0 ? intDigitsAfterNonzero - 1 : -zerosAfterPoint - 1);
    if (magnitude > 0)
        return ParseStatus::TooLarge;
    if (value)
        *value = ascii[0] == '-' ? -0.0 : 0.0;
    return ParseStatus::Ok;
}

QString plain(double value)
{
    const Decimal d = decimal15(value);
    if (d.digits.empty())
        return QStringLiteral("0");
    const int n = int(d.digits.size());
    std::string out = d.negative ? "-" : "";
    const bool exponentForm = d.exponent >= 15 || (d.exponent < 0 && -d.exponent - 1 + n > 15);
    if (exponentForm) {
        out += d.digits[0];
        if (n > 1)
            out += '.' + d.digits.substr(1);
        const int e = std::abs(d.exponent);
        out += d.exponent < 0 ? "E-" : "E+";
        if (e < 10)
            out += '0';
        out += std::to_string(e);
    } else if (d.exponent < 0) {
        out += "0." + std::string(size_t(-d.exponent - 1), '0') + d.digits;
    } else if (n <= d.exponent + 1) {
        out += d.digits + std::string(size_t(d.exponent + 1 - n), '0');
    } else {
        out += d.digits.substr(0, size_t(d.exponent + 1)) + '.' + d.digits.substr(size_t(d.exponent + 1));
    }
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

QString grouped(double value)
{
    constexpr int MaxDecimals = 38;
    const Decimal d = decimal15(value);
    std::string integer, fraction;
    if (d.exponent >= 0) {
        integer = d.digits.substr(0, std::min(d.digits.size(), size_t(d.exponent + 1)));
        integer.resize(size_t(d.exponent + 1), '0');
        if (d.digits.size() > size_t(d.exponent + 1))
            fraction = d.digits.substr(size_t(d.exponent + 1));
    } else {
        integer = "0";
        fraction = std::string(size_t(-d.exponent - 1), '0') + d.digits;
    }
    if (fraction.size() > size_t(MaxDecimals)) {
        const bool up = fraction[MaxDecimals] >= '5';
        fraction.resize(MaxDecimals);
        bool carry = up;
        for (int i = MaxDecimals - 1; carry && i >= 0; --i) {
            carry = fraction[size_t(i)] == '9';
            fraction[size_t(i)] = carry ? '0' : char(fraction[size_t(i)] + 1);
        }
        for (int i = int(integer.size()) - 1; carry && i >= 0; --i) {
            carry = integer[size_t(i)] == '9';
            integer[size_t(i)] = carry ? '0' : char(integer[size_t(i)] + 1);
        }
        if (carry)
            integer.insert(0, "1");
    }
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();

    std::string out;
    const bool zero = fraction.empty() && integer.find_first_not_of('0') == std::string::npos;
    if (d.negative && !zero)
        out += '-';
    for (size_t i = 0; i < integer.size(); ++i) {
        if (i > 0 && (integer.size() - i) % 3 == 0)
            out += ',';
        out += integer[i];
    }
    if (!fraction.empty())
        out += '.' + fraction;
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

} // namespace NumberText
