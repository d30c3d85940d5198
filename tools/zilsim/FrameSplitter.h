#pragma once

#include <QByteArray>
#include <QList>

namespace zilsim {

// Cuts the byte stream of one link into frames. A frame runs from "%" up to
// and including the carriage return, except the block write ("%SE"), which
// is always 75 bytes long because its data bytes may hold a carriage return,
// "%" or "*". Bytes before a "%" are line noise and are dropped. A run
// without a carriage return longer than MaxFrameLength is dropped up to the
// next carriage return, so the buffer never grows without bound.
class FrameSplitter
{
public:
    static constexpr int MaxFrameLength = 1024;
    static constexpr int BlockWriteLength = 75;

    QList<QByteArray> feed(const QByteArray &bytes);
    void clear();

private:
    QByteArray m_buffer;
    bool m_skippingToCarriageReturn = false;
};

} // namespace zilsim
