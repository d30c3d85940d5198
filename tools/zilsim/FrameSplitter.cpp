#include "FrameSplitter.h"

namespace zilsim {

namespace {
constexpr char CarriageReturn = '\r';
constexpr char FrameStart = '%';
} // namespace

QList<QByteArray> FrameSplitter::feed(const QByteArray &bytes)
{
    QList<QByteArray> frames;
    m_buffer += bytes;

    // Walk with an index and cut the buffer once at the end, so a flood of
    // tiny frames costs linear time.
    qsizetype pos = 0;
    const qsizetype size = m_buffer.size();
    while (pos < size) {
        if (m_skippingToCarriageReturn) {
            const qsizetype cr = m_buffer.indexOf(CarriageReturn, pos);
            if (cr < 0) {
                pos = size;
                break;
            }
            pos = cr + 1;
            m_skippingToCarriageReturn = false;
            continue;
        }
        const qsizetype start = m_buffer.indexOf(FrameStart, pos);
        if (start < 0) {
            pos = size;
            break;
        }
        pos = start;
        const qsizetype available = size - pos;

        if (available >= 3 && m_buffer.at(pos + 1) == 'S' && m_buffer.at(pos + 2) == 'E') {
            if (available < BlockWriteLength)
                break; // the rest of the block is still on its way
            if (m_buffer.at(pos + BlockWriteLength - 1) == CarriageReturn) {
                frames.append(m_buffer.mid(pos, BlockWriteLength));
                pos += BlockWriteLength;
                continue;
            }
            // Not a well-formed block: read it as an ordinary frame below.
        }

        const qsizetype cr = m_buffer.indexOf(CarriageReturn, pos);
        if (cr < 0) {
            if (available > MaxFrameLength) {
                m_skippingToCarriageReturn = true;
                pos = size;
            }
            break;
        }
        frames.append(m_buffer.mid(pos, cr + 1 - pos));
        pos = cr + 1;
    }
    m_buffer.remove(0, pos);
    return frames;
}

void FrameSplitter::clear()
{
    m_buffer.clear();
    m_skippingToCarriageReturn = false;
}

} // namespace zilsim
