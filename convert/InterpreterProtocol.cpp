#include "convert/InterpreterProtocol.h"

#include <cstring>

namespace convert {
namespace interpreter {

std::string encode(Frame type, const void* data, size_t size)
{
    std::string f(HeaderSize + size, '\0');
    f[0] = char(type);
    const uint32_t length = uint32_t(size);
    std::memcpy(&f[1], &length, 4);
    if (size > 0)
        std::memcpy(&f[HeaderSize], data, size);
    return f;
}

std::string encode(Frame type, int32_t a)
{
    return encode(type, &a, sizeof a);
}

std::string encode(Frame type, int32_t a, int32_t b)
{
    const int32_t both[2] = {a, b};
    return encode(type, both, sizeof both);
}

std::string encodeAnswer(int32_t n, const char* bytes)
{
    std::string payload(sizeof n, '\0');
    std::memcpy(&payload[0], &n, sizeof n);
    if (n > 0)
        payload.append(bytes, size_t(n));
    return encode(Answer, payload.data(), payload.size());
}

int32_t Message::first() const
{
    int32_t a = 0;
    if (payload.size() >= 4)
        std::memcpy(&a, payload.data(), 4);
    return a;
}

int32_t Message::second() const
{
    int32_t b = 0;
    if (payload.size() >= 8)
        std::memcpy(&b, payload.data() + 4, 4);
    return b;
}

void FrameDecoder::append(const char* data, size_t size)
{
    // What was taken goes once it is most of the buffer: a talkative
    // document must not grow it without end.
    if (m_read > 0 && m_read >= m_bytes.size() / 2) {
        m_bytes.erase(0, m_read);
        m_read = 0;
    }
    m_bytes.append(data, size);
}

FrameDecoder::Next FrameDecoder::next(Message& message)
{
    if (m_broken)
        return Next::Broken;
    if (pending() < HeaderSize)
        return Next::Incomplete;
    const char* header = m_bytes.data() + m_read;
    uint32_t length = 0;
    std::memcpy(&length, header + 1, 4);
    if (length > MaxFrame) {
        m_broken = true;
        return Next::Broken;
    }
    if (pending() < HeaderSize + length)
        return Next::Incomplete;
    message.type = Frame(header[0]);
    message.payload.assign(header + HeaderSize, length);
    m_read += HeaderSize + length;
    return Next::Message;
}

} // namespace interpreter
} // namespace convert
