#include "calc/clsDCC.h"
#include "calc/NumberText.h"

#include <cmath>
#include <limits>
#include <new>

namespace {

const QString ErrMarker = QStringLiteral("@Err");
const QString FunctionFailed = QStringLiteral("NF");
constexpr char16_t BinaryOperators[] = u"+-*/\\^";

// The engine's own rounded constants, not the full-precision ones.
constexpr double HalfPi = 1.570796326794895;
constexpr double EulerE = 2.71828182845905;

// Positions are 1-based as in the rewriting rules; 0 means "none".
int FindOperator(const QString &text, int start, bool forward, QStringView set)
{
    if (forward) {
        for (int p = std::max(start + 1, 1); p <= text.size(); ++p)
            if (set.contains(text[p - 1]))
                return p;
    } else {
        for (int p = std::min(start - 1, int(text.size())); p >= 1; --p)
            if (set.contains(text[p - 1]))
                return p;
    }
    return 0;
}

// Characters a to b, both included.
QString span(const QString &text, int a, int b)
{
    return b < a ? QString() : text.mid(a - 1, b - a + 1);
}

void ReplaceSpan(QString &text, int a, int b, const QString &s)
{
    text.replace(a - 1, b - a + 1, s);
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Whether x is a modulo 360, judged in single precision.
bool IsAngle(double x, double a)
{
    const float f = static_cast<float>((x - a) / 360);
    const float whole = std::trunc(f);
    return f - whole == 0.0f;
}

struct AngleValue {
    double angle;
    double value;
};

// The first angle of the table that x matches, in table order.
template <size_t N>
bool exactAngle(double x, const AngleValue (&table)[N], double *value)
{
    for (const AngleValue &entry : table) {
        if (IsAngle(x, entry.angle)) {
            *value = entry.value;
            return true;
        }
    }
    return false;
}

// The arithmetic result of a binary operation, or the code of its fault.
qint32 checkedResult(double v)
{
    if (std::isnan(v))
        return clsDCC::ErrInvalidOperation;
    if (std::isinf(v))
        return clsDCC::ErrOverflow;
    return clsDCC::Ok;
}

} // namespace

clsDCC::clsDCC() = default;

qint32 clsDCC::Calculate(const QString &expression, double &result)
{
    try {
        return run(expression, result);
    } catch (const std::bad_alloc &) {
        return ErrOverflow; // a text too long to rewrite
    }
}

qint32 clsDCC::run(const QString &expression, double &result)
{
    lastError_ = 0;
    QString text = expression;
    if (!ValidateExpression(text))
        return lastError_;
    counter_ = -1;

    // The innermost group first, leftmost first.
    for (;;) {
        const int c = int(text.indexOf(u')', 1)) + 1;
        if (c == 0)
            break;
        const int o = FindOperator(text, c, false, u"(");
        const QChar before = o > 1 ? text[o - 2] : QChar();
        if (o == 1) {
            const QString v = EvaluateFlat(span(text, 2, c - 1));
            if (v == ErrMarker)
                return lastError_;
            ReplaceSpan(text, 1, c, v);
        } else if (o > 1 && isAsciiLetter(before)) {
            const int s = FindOperator(text, o, false, u"^*/\\+-(");
            const QString v = EvaluateFunction(span(text, s + 1, o - 1), span(text, o + 1, c - 1));
            if (v == FunctionFailed)
                return lastError_;
            ReplaceSpan(text, s + 1, c, v);
        } else if (o > 1 && QStringView(u"\\/*^(-+").contains(before)) {
            const QString v = EvaluateFlat(span(text, o + 1, c - 1));
            if (v == ErrMarker)
                return lastError_;
            ReplaceSpan(text, o, c, v);
        } else {
            // No implicit multiplication, and no ")" without its "(".
            return lastError_ = ErrStructure;
        }
    }

    const QString v = EvaluateFlat(text);
    if (v == ErrMarker)
        return lastError_;
    if (lastError_ != 0)
        return lastError_; // an unknown name met on the way
    result = LookupValue(v);
    return Ok;
}

bool clsDCC::fail(qint32 code)
{
    lastError_ = code;
    return false;
}

bool clsDCC::ValidateExpression(const QString &text)
{
    const qsizetype open = text.indexOf(u'(');
    // With no "(" this looks at the first character.
    if (open + 1 < text.size() && text[open + 1] == u')')
        return fail(ErrEmptyParen);
    if (text.count(u'(') != text.count(u')'))
        return fail(ErrParenCount);
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (!QStringView(u"^*/\\+-,").contains(text[i]))
            continue;
        if (QStringView(u"+\\/*^-").contains(text[i - 1]))
            return fail(ErrOperator);
        if (i + 1 < text.size() && QStringView(u"-+\\/*^").contains(text[i + 1]))
            return fail(ErrOperator);
    }
    if (!text.isEmpty() && QStringView(u"^*/\\+-(,").contains(text.back()))
        return fail(ErrOperator);
    return true;
}

bool clsDCC::newEntry(double value, QString *name)
{
    if (counter_ == std::numeric_limits<qint16>::max())
        return fail(ErrOverflow);
    ++counter_;
    if (intermediates_.size() <= counter_)
        intermediates_.resize(counter_ + 1);
    Entry &entry = intermediates_[counter_];
    entry.name = QStringLiteral("@M") + QString::number(counter_);
    entry.value = value;
    *name = entry.name;
    return true;
}

double clsDCC::LookupValue(const QString &name)
{
    // Entry i is always named "@M" + i, so its index replaces the scan over the table.
    if (name.size() > 2 && name.startsWith(QLatin1String("@M")) && name[2].isDigit()
        && (name[2] != u'0' || name.size() == 3)) {
        bool ok = false;
        const int index = QStringView(name).mid(2).toInt(&ok);
        if (ok && QStringView(name).mid(2).size() == QString::number(index).size() && index < intermediates_.size())
            return intermediates_[index].value;
    }
    for (const Entry &variable : variables_) {
        if (variable.name.isEmpty())
            break;
        if (variable.name == name)
            return variable.value;
    }
    lastError_ = ErrUnknownName;
    return 0;
}

bool clsDCC::roundTrip(double value, double *out, QString *text)
{
    if (!std::isfinite(value))
        return fail(ErrOverflow);
    const QString t = NumberText::plain(value);
    NumberText::parse(t, out);
    if (text)
        *text = t;
    return true;
}

bool clsDCC::operand(const QString &token, double *value, QString *text)
{
    switch (NumberText::parse(token, value)) {
    case NumberText::ParseStatus::Ok:
        if (text)
            *text = token;
        return true;
    case NumberText::ParseStatus::TooLarge:
        return fail(ErrOverflow);
    case NumberText::ParseStatus::NotNumber:
        break;
    }
    return roundTrip(LookupValue(token), value, text);
}

QString clsDCC::EvaluateFlat(QString text)
{
    QString name;
    double value = 0;
    switch (NumberText::parse(text, &value)) {
    case NumberText::ParseStatus::Ok:
        return newEntry(value, &name) ? name : ErrMarker;
    case NumberText::ParseStatus::TooLarge:
        fail(ErrOverflow);
        return ErrMarker;
    case NumberText::ParseStatus::NotNumber:
        break;
    }

    // A leading minus binds tighter than every operator.
    if (text.startsWith(u'-')) {
        const int p = FindOperator(text, 2, true, BinaryOperators);
        const int end = p ? p - 1 : int(text.size());
        if (!operand(span(text, 2, end), &value) || !newEntry(-value, &name))
            return ErrMarker;
        ReplaceSpan(text, 1, end, name);
    }

    if (FindOperator(text, 1, true, u"+-*/\\^(") == 0) {
        if (!roundTrip(LookupValue(text), &value, nullptr) || !newEntry(value, &name))
            return ErrMarker;
        return name;
    }

    const QStringView levels[] = {u"^", u"*/", u"\\", u"+-"};
    for (QStringView level : levels) {
        for (;;) {
            const int k = FindOperator(text, 1, true, level);
            if (k == 0)
                break;
            if (!newEntry(0, &name))
                return ErrMarker;
            const int i = FindOperator(text, k, false, BinaryOperators);
            const int j = FindOperator(text, k, true, BinaryOperators);
            const int r = j ? j - 1 : int(text.size());
            double a = 0, b = 0;
            QString aText, bText;
            if (!operand(span(text, i + 1, k - 1), &a, &aText) || !operand(span(text, k + 1, r), &b, &bText))
                return ErrMarker;

            double v = 0;
            qint32 code = Ok;
            switch (text[k - 1].unicode()) {
            case u'^':
                if (aText == u"0" && bText == u"0")
                    code = ErrZeroPowerZero;
                else if (a == 0 && b < 0)
                    code = ErrDivisionByZero;
                else
                    code = checkedResult(v = std::pow(a, b));
                break;
            case u'*':
                code = checkedResult(v = a * b);
                break;
            case u'/':
                code = b == 0 ? ErrDivisionByZero : checkedResult(v = a / b);
                break;
            case u'\\': {
                // Both operands to the nearest 32-bit integer, ties to even.
                const double ia = std::nearbyint(a), ib = std::nearbyint(b);
                const double lo = std::numeric_limits<qint32>::min(), hi = std::numeric_limits<qint32>::max();
                if (ia < lo || ia > hi || ib < lo || ib > hi)
                    code = ErrIntegerRange;
                else if (ib == 0)
                    code = ErrDivisionByZero;
                else
                    v = double(qint64(ia) / qint64(ib));
                break;
            }
            case u'+':
                code = checkedResult(v = a + b);
                break;
            default:
                code = checkedResult(v = a - b);
                break;
            }
            if (code != Ok) {
                fail(code);
                return ErrMarker;
            }
            intermediates_[counter_].value = v;
            ReplaceSpan(text, i + 1, r, name);
        }
    }
    if (counter_ == -1) {
        fail(ErrStructure); // a "(" but no operator
        return ErrMarker;
    }
    return intermediates_[counter_].name;
}

QString clsDCC::EvaluateFunction(const QString &name, const QString &argument)
{
    const QString arg = EvaluateFlat(argument);
    double x = 0;
    if (arg == ErrMarker || !roundTrip(LookupValue(arg), &x, nullptr))
        return FunctionFailed;

    const bool degrees = UnitStyle == 1;
    const QString f = name.toLower();
    double r = 0;
    bool inDomain = true;
    if (f == u"abs") {
        r = std::fabs(x);
    } else if (f == u"sin") {
        static const AngleValue exact[] = {{0, 0},    {30, 0.5},   {90, 1},  {150, 0.5},
                                           {180, 0},  {210, -0.5}, {270, -1}, {330, -0.5}};
        if (!degrees)
            r = std::sin(x);
        else if (!exactAngle(x, exact, &r))
            r = std::sin(x * Pi / 180);
    } else if (f == u"cos") {
        static const AngleValue exact[] = {{0, 1},    {60, 0.5},   {90, 0},  {120, -0.5},
                                           {180, -1}, {240, -0.5}, {270, 0}, {300, 0.5}};
        if (!degrees)
            r = std::cos(x);
        else if (!exactAngle(x, exact, &r))
            r = std::cos(x * Pi / 180);
    } else if (f == u"tan") {
        static const AngleValue exact[] = {{0, 0}, {45, 1}, {135, -1}, {180, 0}, {225, 1}, {315, -1}};
        if (!degrees)
            r = std::tan(x);
        else if (!exactAngle(x, exact, &r)) {
            inDomain = !IsAngle(x, 90) && !IsAngle(x, 270);
            r = std::tan(x * Pi / 180);
        }
    } else if (f == u"asin" || f == u"acos") {
        const bool sine = f == u"asin";
        inDomain = std::fabs(x) <= 1;
        if (x == 1)
            r = sine ? (degrees ? 90 : HalfPi) : 0;
        else if (x == -1)
            r = sine ? (degrees ? -90 : -HalfPi) : (degrees ? 180 : Pi);
        else if (inDomain) {
            const double t = std::atan(x / std::sqrt(1 - x * x));
            if (sine)
                r = degrees ? t * 180 / Pi : t;
            else
                r = degrees ? 90 - t * 180 / Pi : HalfPi - t;
        }
    } else if (f == u"atan") {
        r = degrees ? std::atan(x) * 180 / Pi : std::atan(x);
    } else if (f == u"sinh") {
        r = (std::pow(EulerE, x) - std::pow(EulerE, -x)) / 2;
    } else if (f == u"cosh") {
        r = (std::pow(EulerE, x) + std::pow(EulerE, -x)) / 2;
    } else if (f == u"tanh") {
        r = (std::pow(EulerE, x) - std::pow(EulerE, -x)) / (std::pow(EulerE, x) + std::pow(EulerE, -x));
    } else if (f == u"exp") {
        r = std::exp(x);
    } else if (f == u"log") {
        inDomain = x > 0;
        r = inDomain ? std::log(x) / std::log(10.0) : 0;
    } else if (f == u"ln") {
        inDomain = x > 0;
        r = inDomain ? std::log(x) : 0;
    } else if (f == u"sqr") {
        inDomain = x >= 0;
        r = inDomain ? std::sqrt(x) : 0;
    } else if (f == u"int") {
        r = std::floor(x);
    } else if (f == u"rad") {
        r = x * Pi / 180;
    } else if (f == u"deg") {
        r = x * 180 / Pi;
    } else if (f == u"fact") {
        const double n = std::floor(x);
        inDomain = n >= 0 && n <= 170;
        r = 1;
        for (int i = 2; inDomain && i <= int(n); ++i)
            r *= i;
    } else {
        fail(ErrUnknownFunction);
        return FunctionFailed;
    }
    QString entry;
    if (!inDomain || !std::isfinite(r)) {
        fail(ErrFunctionDomain);
        return FunctionFailed;
    }
    return newEntry(r, &entry) ? entry : FunctionFailed;
}

qint32 clsDCC::SetVariable(const QString &name, double value)
{
    if (name.isEmpty())
        return 0;
    for (int i = 0; i < variableCount_; ++i) {
        if (variables_[i].name == name) {
            variables_[i].value = value;
            return 0;
        }
    }
    if (variableCount_ >= MaxVariables)
        return 0;
    variables_[variableCount_] = {name, value};
    ++variableCount_;
    return 1;
}

bool clsDCC::ClearVariable()
{
    for (int i = 0; i < variableCount_; ++i)
        variables_[i].name.clear();
    variableCount_ = 0;
    return true;
}

QString clsDCC::ErrorDescription(qint32 code)
{
    switch (code) {
    case Ok: return QStringLiteral("no error");
    case ErrZeroPowerZero: return QStringLiteral("zero to the power zero");
    case ErrParenCount: return QStringLiteral("the numbers of ( and ) differ");
    case ErrEmptyParen: return QStringLiteral("empty parentheses or a leading )");
    case ErrOperator: return QStringLiteral("misplaced operator");
    case ErrUnknownFunction: return QStringLiteral("unknown function");
    case ErrFunctionDomain: return QStringLiteral("argument outside the function's domain");
    case ErrUnknownName: return QStringLiteral("unknown variable");
    case ErrStructure: return QStringLiteral("malformed expression");
    case ErrOverflow: return QStringLiteral("overflow");
    case ErrDivisionByZero: return QStringLiteral("division by zero");
    case ErrInvalidOperation: return QStringLiteral("invalid operation");
    case ErrIntegerRange: return QStringLiteral("integer division operand outside 32 bits");
    }
    return QStringLiteral("calculation failed");
}
