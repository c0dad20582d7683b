// Any bytes as the settings file: the parser never crashes, what it reads is written and read
// back the same, and the first three lines written are the numbers alone.
#include "common/settingsfile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const ComSettings settings = parseComSettings(bytes);
    const ComSettings back = parseComSettings(formatComSettings(settings));
    if (back.save != settings.save || back.portIndex != settings.portIndex ||
        back.baudIndex != settings.baudIndex || back.portName != settings.portName)
        __builtin_trap();
    const QList<QByteArray> lines = formatComSettings(settings).split('\n');
    for (qsizetype i = 1; i < 3; ++i) {
        bool number = false;
        lines.at(i).trimmed().toInt(&number);
        if (!number)
            __builtin_trap();
    }
    return 0;
}
