#pragma once

#include "status/domparser.h"
#include "status/statusdesc.h"
#include "status/tonerinfo.h"

#include <QMap>

#include <array>

using StatusTable = QMap<quint32, StatusDesc>;

// Reads a printer model's status description document: the status table (fixed pseudo-statuses
// plus the document's entries), the toners with their status bytes, the supply order address
// and the capability flags.
class StatusParser : public DomParser
{
public:
    // The id whose status is shown as a popup whatever type the document gives it.
    static constexpr quint32 kPopupInfoStatusId = 0x0105FF;

    StatusParser();
    ~StatusParser() override;

    bool load(QFile *file) override;
    // Every printer list activates the same document again: it is parsed only when it changed.
    bool setContent(const QString &text) override;

    bool readErrorStatuses();
    bool parseCapabilities();
    void addFixedStatus(const StatusDesc &record);

    StatusTable &statusTable() { return m_statusTable; }
    const StatusTable &statusTable() const { return m_statusTable; }
    QString supplyOrderUrl() const { return m_supplyOrderUrl; }
    TonerInfoList tonerList() const { return m_tonerList; }
    QString separator() const { return m_separator; }
    bool tunexSupported() const { return m_tunexSupported; }
    bool extendedJobTable() const { return m_extendedJobTable; }

    // Eight bytes written as "[04][01][05][00]...": brackets dropped, then hexadecimal pairs;
    // a pair that is not hexadecimal, or missing, is 0.
    static std::array<quint8, 8> parseStatusBytes(const QString &text);
    // The default toner table, in the order of the toner list.
    static TonerInfoList defaultToners();

private:
    void parseURLElement(const QDomElement &url);
    void parseCapabilitiesElement(const QDomElement &capabilities);
    void readStatusElement(const QDomElement &status);
    void readEntry(const QDomElement &entry);
    static void applyTonerOverrides(TonerInfo &toner, const QDomElement &override);

    StatusTable m_statusTable;
    QString m_supplyOrderUrl;
    TonerInfoList m_tonerList;
    QString m_separator;
    bool m_tunexSupported = true;
    bool m_extendedJobTable = false;
    StatusTable m_fixedStatuses;
    QString m_parsedText;
};
