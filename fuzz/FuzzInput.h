#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>

// A fuzz input read front to back; past its end it reads as 0 bytes.
class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    bool done() const { return m_at >= m_size; }
    uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    QByteArray bytes(int n)
    {
        QByteArray out;
        for (int i = 0; i < n; ++i)
            out.append(char(byte()));
        return out;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
};
