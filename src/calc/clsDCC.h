#pragma once
// The calculator's expression engine. It rewrites the expression text: the innermost group
// or the highest-ranking operation is evaluated, its value stored as an intermediate ("@M"
// and its index) and that name spliced into the text, until one name is left. Every value
// taken from a name re-enters the arithmetic rounded to 15 significant digits.
//
// Codes of Calculate (negative as signed 32-bit values):
//   0x80040000  zero to the power zero            0x80040004  unknown function
//   0x80040001  "(" and ")" counts differ         0x80040005  function domain or fault
//   0x80040002  "()" first, or a leading ")"      0x80040006  unknown variable
//   0x80040003  operators side by side, or a trailing operator, "(" or ","
//   0x80040007  malformed structure: "(" after a digit, blank or "."; ")" with no "("
//               before it; a text holding "(" but no operator
//   0x80040010  overflow: a result that is not finite, a number too large to hold, more
//               than 32768 intermediate values
//   0x80040011  division by zero ("/" and "\")
//   0x80040012  invalid operation (a negative base to a fractional power)
//   0x80040013  an operand of "\" outside the signed 32-bit range
#include <QString>
#include <QVector>

class clsDCC
{
public:
    enum Code : qint32 {
        Ok = 0,
        ErrZeroPowerZero = qint32(0x80040000u),
        ErrParenCount = qint32(0x80040001u),
        ErrEmptyParen = qint32(0x80040002u),
        ErrOperator = qint32(0x80040003u),
        ErrUnknownFunction = qint32(0x80040004u),
        ErrFunctionDomain = qint32(0x80040005u),
        ErrUnknownName = qint32(0x80040006u),
        ErrStructure = qint32(0x80040007u),
        ErrOverflow = qint32(0x80040010u),
        ErrDivisionByZero = qint32(0x80040011u),
        ErrInvalidOperation = qint32(0x80040012u),
        ErrIntegerRange = qint32(0x80040013u),
    };
    static constexpr int MaxVariables = 100;
    // The engine's rounded pi, also the value of the variable "pi" its users define.
    static constexpr double Pi = 3.14159265358979;

    clsDCC();

    // 0 and the value in result, or a nonzero code with result untouched. Never throws.
    qint32 Calculate(const QString &expression, double &result);
    // 0 when an entry named exactly so was replaced, an empty name or a full table; 1 when
    // the variable was added.
    qint32 SetVariable(const QString &name, double value);
    // Forgets every variable, "pi" included.
    bool ClearVariable();

    // 1: angles in degrees; anything else: radians.
    quint8 UnitStyle = 0;

    // A short English explanation of a code of Calculate.
    static QString ErrorDescription(qint32 code);

private:
    struct Entry {
        QString name;
        double value = 0;
    };

    qint32 run(const QString &expression, double &result);
    bool ValidateExpression(const QString &text);
    QString EvaluateFlat(QString text);
    QString EvaluateFunction(const QString &name, const QString &argument);
    // The value of an intermediate or a variable; an unknown name gives 0 and the code.
    double LookupValue(const QString &name);
    // An operand: a number token as it reads, a name through the 15-digit round trip.
    // *text receives the operand's text after that trip.
    bool operand(const QString &token, double *value, QString *text = nullptr);
    bool roundTrip(double value, double *out, QString *text);
    // A new intermediate; false (and the overflow code) past the counter's range.
    bool newEntry(double value, QString *name);
    bool fail(qint32 code);

    QVector<Entry> intermediates_;
    qint16 counter_ = -1;
    Entry variables_[MaxVariables];
    qint16 variableCount_ = 0;
    qint32 lastError_ = 0;
};
