#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

#include <optional>

// An IPP reply cut down to what is read of it. The library's parser and its string pool cost
// time with the square of a reply's values (a printer with 5,000 supplies: a fifth of a core
// at one poll a second), so a printer's reply passes through here first.
struct BoundedIppReply
{
    // The reply's header, the attributes kept, the end tag: an IPP message of its own.
    QByteArray bytes;
    // Each attribute kept that had more values than its limit, with the number it had.
    QList<QPair<QByteArray, int>> cutAttributes;
    // The longest value cut to the bound, in bytes; 0 when none was.
    int longestCutValue = 0;
};

// Keeps of the printer attributes only those named (the first 64 names), each with at most its
// number of values, and cuts every value to maxValueBytes. Leaves out the other groups, a
// repeated attribute and one that holds a collection. Null when the bytes are not one whole IPP
// message.
std::optional<BoundedIppReply> boundIppReply(const QByteArray &reply,
                                             const QList<QPair<QByteArray, int>> &limits,
                                             int maxValueBytes);
