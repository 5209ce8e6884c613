// libFuzzer target: the project file reader on arbitrary bytes.
#include "model/MessageStore.h"
#include "project/ProjectFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace zlx;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     qsizetype(size));
    const auto lines = project::decodeLines(bytes);
    if (!lines)
        return 0;

    MessageStore store;
    project::load(*lines, store);

    // No line holds a CR, so whatever was read is written back and read again unchanged.
    const QByteArray file = project::encode(store, MessageStore::kPageSlots);
    const auto again = project::decodeLines(file);
    if (!again)
        __builtin_trap();
    MessageStore reopened;
    project::load(*again, reopened);
    if (!(reopened == store))
        __builtin_trap();
    return 0;
}
