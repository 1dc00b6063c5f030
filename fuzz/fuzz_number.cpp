// Feeds arbitrary texts to the number parser; what it accepts must be finite and read back
// through the shortest text to the same value.
#include "model/NumberText.h"

#include <QString>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto value = model::tryParseNumber(text);
    if (value) {
        if (!std::isfinite(*value)) std::abort();
        const auto again = model::tryParseNumber(model::shortestText(*value));
        if (!again || *again != *value) std::abort();
        (void)model::formatFixed(*value, static_cast<int>(size % 16));
    }
    return 0;
}
