#include "protocol/Frames.h"

#include <QtGlobal>

namespace zlx::frames {

QByteArray readRequest(quint8 addrHigh, quint8 addrLow, quint8 length)
{
    const char bytes[] = {char(kStart), 5, char(kRead), char(addrHigh), char(addrLow), char(length), 0};
    return QByteArray(bytes, sizeof bytes);
}

QByteArray detectionProbe()
{
    return readRequest(0, 0, 2);
}

QByteArray writeFrame(quint8 addrHigh, quint8 addrLow, const QByteArray &data)
{
    Q_ASSERT(!data.isEmpty() && data.size() <= kMaxData);
    QByteArray f;
    f.reserve(data.size() + 7);
    f.append(char(kStart));
    f.append(char(data.size() + 5));
    f.append(char(kWrite));
    f.append(char(addrHigh));
    f.append(char(addrLow));
    f.append(char(data.size()));
    f.append(data);
    f.append('\0');
    return f;
}

QByteArray endFrame()
{
    const char bytes[] = {char(kStart), 2, char(kMark), 0};
    return QByteArray(bytes, sizeof bytes);
}

}  // namespace zlx::frames
