#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <algorithm>

// One toner named by a status description document.
class TonerInfo
{
public:
    QString id;
    QByteArray orderCode;
    QString title;
    // One or more RRGGBB values separated by ",".
    QString barColors;
    // 0-based index of the raw status byte holding the level, 4 to 7.
    quint8 levelByte = 0;
    // The toner's colour bit in a low-toner status: 1, 2, 4 or 8.
    quint8 lowBit = 0;
};

using TonerInfoList = QList<TonerInfo>;

// Toner id to level in one poll: 0 to 100 percent, kUnknownLevel when the printer gave none.
using TonerDesc = QMap<QString, quint8>;
constexpr quint8 kUnknownLevel = 255;

// One supply to order: its order code and the level of its toner.
class Toner
{
public:
    QByteArray orderCode;
    quint8 level = kUnknownLevel;

    bool operator<(const Toner &other) const { return level < other.level; }
};

// Items kept sorted on request, lowest first; items that compare equal keep the order in which
// they were appended.
template<typename T>
class SortedList
{
public:
    void append(const T &item) { m_items.append(item); }
    void sort() { std::stable_sort(m_items.begin(), m_items.end()); }
    qsizetype count() const { return m_items.size(); }
    bool isEmpty() const { return m_items.isEmpty(); }
    const T &at(qsizetype index) const { return m_items.at(index); }
    typename QList<T>::const_iterator begin() const { return m_items.cbegin(); }
    typename QList<T>::const_iterator end() const { return m_items.cend(); }

private:
    QList<T> m_items;
};

void dumpTonerInfo(const TonerInfoList &list, const QString &heading);
void dumpTonerDesc(const TonerDesc &map, const QString &heading);
// The line logged for one toner, also while the default table is applied.
void logTonerInfo(const TonerInfo &info);
