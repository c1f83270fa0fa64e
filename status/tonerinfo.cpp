#include "status/tonerinfo.h"

#include "base/functions.h"

void logTonerInfo(const TonerInfo &info)
{
    debugPrintf("\tid=%s code=%s title=%s barColors=%s levelByte=%u lowLevelBit=%u",
                qPrintable(info.id), info.orderCode.constData(), qPrintable(info.title),
                qPrintable(info.barColors), unsigned(info.levelByte), unsigned(info.lowBit));
}

void dumpTonerInfo(const TonerInfoList &list, const QString &heading)
{
    debugPrintf("<<<<<<<<<<<<<<<<<<<<< dumpTonerInfo: <%s>: %u items", qPrintable(heading),
                unsigned(list.size()));
    for (const TonerInfo &info : list)
        logTonerInfo(info);
    debugPrintf(">>>>>>>>>>>>>>>>>>>>> dumpTonerInfo");
}

void dumpTonerDesc(const TonerDesc &map, const QString &heading)
{
    debugPrintf("<<<<<<<<<<<<<<<<<<<<< dumpTonerDesc: <%s>: %u items", qPrintable(heading),
                unsigned(map.size()));
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        debugPrintf("\tkey=<%s> value=%u", qPrintable(it.key()), unsigned(it.value()));
    debugPrintf(">>>>>>>>>>>>>>>>>>>>> dumpTonerDesc");
}
