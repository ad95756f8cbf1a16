// Any text as an expression: the engine answers with a code, never a crash, a hang or an
// exception; a success is a finite number and a failure leaves the result alone.
#include "calc/clsDCC.h"

#include <cmath>
#include <cstdlib>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString expression = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    for (int unit : {0, 1}) {
        clsDCC engine; // as the calculator bar makes it
        engine.SetVariable(QStringLiteral("pi"), clsDCC::Pi);
        engine.UnitStyle = unit;
        double result = 12345.0;
        const qint32 code = engine.Calculate(expression, result);
        if (code == 0 && !std::isfinite(result)) {
            std::fprintf(stderr, "success with a result that is not finite\n");
            std::abort();
        }
        if (code != 0 && result != 12345.0) {
            std::fprintf(stderr, "failure 0x%08x changed the result\n", unsigned(code));
            std::abort();
        }
    }
    return 0;
}
