// libFuzzer target: the decoder of page images read back from a sign, on arbitrary bytes.
#include "protocol/PageDecoder.h"
#include "protocol/SignModel.h"
#include "model/MessageEntry.h"
#include "model/MessageStore.h"

#include <cstddef>
#include <cstdint>

namespace {

// Each image is a 2-byte length (at most one page of the 20-page model) and that many bytes.
QList<QByteArray> splitImages(const uint8_t *data, size_t size)
{
    QList<QByteArray> images;
    size_t at = 0;
    while (at + 2 <= size && images.size() < 40) {
        const size_t length = (size_t(data[at]) | size_t(data[at + 1]) << 8) % 1025;
        at += 2;
        const size_t take = length < size - at ? length : size - at;
        images.append(QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(take)));
        at += take;
    }
    return images;
}

void decodeAndCheck(const QList<QByteArray> &images, const zlx::SignModel &model)
{
    using namespace zlx;
    MessageStore store;
    decodePageImages(images, model.pageCount, store);
    // Only rows that Send could encode again may come out.
    for (int p = 0; p < MessageStore::kPageSlots; ++p) {
        for (int r = 0; r < MessageStore::kRowSlots; ++r) {
            const QByteArray &e = store.entry(p, r);
            if (e.isEmpty())
                continue;
            if (p >= model.pageCount || r >= MessageStore::kRowsPerPage)
                __builtin_trap();
            const int effect = entry::effectDigit(e);
            const int font = entry::fontDigit(e);
            if (effect < 1 || font < 1 || font > 3 || entry::amount(e) == 0 || e.contains('\0'))
                __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> images = splitImages(data, size);
    decodeAndCheck(images, *zlx::modelFromCode(1));
    decodeAndCheck(images, *zlx::modelFromCode(2));
    return 0;
}
