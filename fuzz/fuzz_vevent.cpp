// The reader of the server's events (libical): no input may crash or hang
// it, and a text read back holds no control character but tab and line end.
#include "store/sync/VEvent.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    bool ok = false;
    for (const VEvent &e : readVEvents(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), &ok))
        for (const QChar c : e.summary)
            if (c.unicode() < 0x20 && c != u'\n' && c != u'\t')
                __builtin_trap();
    return 0;
}
