// The stored focus session on any bytes: decoding never crashes or overflows, and a session
// it accepts is written and read back unchanged.
#include "Models/Focus/FocusSessionCoding.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const Result<FocusSession> session = FocusSessionCoding::decode(bytes);
    if (!session)
        return 0;
    const std::optional<QByteArray> encoded = FocusSessionCoding::encode(session.value());
    if (!encoded)
        std::abort();
    const Result<FocusSession> again = FocusSessionCoding::decode(*encoded);
    if (!again || !(again.value() == session.value()))
        std::abort();
    return 0;
}
