#include "cups/boundedipp.h"

#include <algorithm>

namespace {

const qsizetype kHeaderBytes = 8; // version, status, request id
const int kEndTag = 0x03;
const int kPrinterGroup = 0x04;
const int kFirstValueTag = 0x10;
const int kBeginCollection = 0x34;
const int kEndCollection = 0x37;
const int kMemberName = 0x4a;
const int kExtension = 0x7f;

// A byte string of the reply whose length is given in the two bytes before it.
class Reader
{
public:
    explicit Reader(const QByteArray &bytes)
        : m_bytes(bytes)
        , m_pos(kHeaderBytes)
    { }

    bool atEnd() const { return m_pos >= m_bytes.size(); }
    bool byte(int *value)
    {
        if (atEnd())
            return false;
        *value = uchar(m_bytes.at(m_pos++));
        return true;
    }
    bool skip(qsizetype count)
    {
        if (m_bytes.size() - m_pos < count)
            return false;
        m_pos += count;
        return true;
    }
    // Where the string starts and how long it is.
    bool string(qsizetype *start, int *length)
    {
        int high = 0;
        int low = 0;
        if (!byte(&high) || !byte(&low))
            return false;
        *length = high << 8 | low;
        *start = m_pos;
        return skip(*length);
    }

private:
    const QByteArray &m_bytes;
    qsizetype m_pos;
};

void appendString(QByteArray *out, const char *data, int length)
{
    out->append(char(length >> 8));
    out->append(char(length & 0xff));
    out->append(data, length);
}

} // namespace

std::optional<BoundedIppReply> boundIppReply(const QByteArray &reply,
                                             const QList<QPair<QByteArray, int>> &limits,
                                             int maxValueBytes)
{
    if (reply.size() < kHeaderBytes)
        return std::nullopt;
    BoundedIppReply result;
    result.bytes = reply.left(kHeaderBytes);
    Reader reader(reply);
    // The limits' entries met so far, a bit each: a repeated one is left out.
    quint64 kept = 0;
    int group = 0;
    // The attribute being read, empty while it is left out.
    QByteArray name;
    int limit = 0;
    int count = 0;
    qsizetype attributeStart = 0;
    int collectionDepth = 0;
    const auto finishAttribute = [&] {
        if (!name.isEmpty() && count > limit)
            result.cutAttributes.append({name, count});
        name.clear();
    };

    int tag = 0;
    while (reader.byte(&tag)) {
        if (tag == kEndTag) {
            finishAttribute();
            result.bytes.append(char(kEndTag));
            return result;
        }
        if (tag < kFirstValueTag) {
            finishAttribute();
            group = tag;
            collectionDepth = 0;
            continue;
        }
        qsizetype nameStart = 0;
        int nameLength = 0;
        qsizetype valueStart = 0;
        int valueLength = 0;
        if ((tag == kExtension && !reader.skip(4)) || !reader.string(&nameStart, &nameLength)
            || !reader.string(&valueStart, &valueLength))
            return std::nullopt;
        if (collectionDepth > 0) {
            collectionDepth += tag == kBeginCollection ? 1 : tag == kEndCollection ? -1 : 0;
            continue;
        }
        if (nameLength > 0) {
            finishAttribute();
            // Thousands of names cost no allocation each.
            const QByteArrayView next(reply.constData() + nameStart, nameLength);
            const auto known = std::find_if(limits.begin(), limits.end(), [&](const auto &entry) {
                return QByteArrayView(entry.first) == next;
            });
            const qsizetype index = known - limits.begin();
            const quint64 bit = known != limits.end() && index < 64 ? quint64(1) << index : 0;
            if (group == kPrinterGroup && bit != 0 && !(kept & bit)) {
                if (kept == 0)
                    result.bytes.append(char(kPrinterGroup));
                kept |= bit;
                name = known->first;
                limit = known->second;
                count = 0;
                attributeStart = result.bytes.size();
            }
        }
        if (tag == kBeginCollection) {
            collectionDepth = 1;
            if (!name.isEmpty())
                result.bytes.truncate(attributeStart);
            name.clear();
            continue;
        }
        if (name.isEmpty() || tag == kEndCollection || tag == kMemberName || tag == kExtension
            || ++count > limit)
            continue;
        result.bytes.append(char(tag));
        appendString(&result.bytes, count == 1 ? name.constData() : "",
                     count == 1 ? int(name.size()) : 0);
        if (valueLength > maxValueBytes)
            result.longestCutValue = std::max(result.longestCutValue, valueLength);
        appendString(&result.bytes, reply.constData() + valueStart,
                     std::min(valueLength, maxValueBytes));
    }
    return std::nullopt;
}
