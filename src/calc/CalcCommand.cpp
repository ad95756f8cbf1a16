#include "calc/CalcCommand.h"
#include "calc/FullWidthFold.h"
#include "calc/NumberText.h"
#include "calc/clsDCC.h"

int RunCalcCommand(const QString &expression, bool degrees, std::FILE *out, std::FILE *err)
{
    // Made as the calculator bar makes its engine.
    clsDCC engine;
    engine.SetVariable(QStringLiteral("pi"), clsDCC::Pi);
    if (degrees)
        engine.UnitStyle = 1;
    double result = 0;
    const qint32 code = engine.Calculate(FoldFullWidth(expression), result);
    if (code != 0) {
        const QString message = QStringLiteral("0x%1: %2\n")
                                    .arg(quint32(code), 8, 16, QLatin1Char('0'))
                                    .arg(clsDCC::ErrorDescription(code));
        std::fputs(message.toUtf8().constData(), err);
        return 1;
    }
    std::fputs((NumberText::plain(result) + u'\n').toUtf8().constData(), out);
    return 0;
}
