// The reader of the server's WebDAV answers: no input may crash or hang it,
// and what it gives back must be usable as it is.
#include "store/sync/Multistatus.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Multistatus m = readMultistatus(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const DavResponse &r : m.responses)
        if (r.href.size() > qsizetype(size) || r.calendarData.size() > qsizetype(size))
            __builtin_trap();
    return 0;
}
