#pragma once

#include "status/printerstate.h"
#include "status/tonerinfo.h"

#include <QString>

// The low-toner warnings the user silenced, one bit per colour as in the status block's byte 3
// (8 black, 4 cyan, 2 magenta, 1 yellow), and their store: one small file per model in the
// user's state directory. A queue of another make has no colour bits: its low supplies are
// silenced by name, for the run and the printer followed. A silence lasts until that toner or
// supply is seen above half full again.
class IgnoredBits
{
public:
    quint32 value() const { return m_bits; }
    void ignore(quint32 bits, bool set);
    // True when the byte names colours and every one of them is silenced.
    bool silences(quint8 colorRecognition) const;
    // Toners above half full take back their silence.
    void rearm(const TonerInfoList &toners, const TonerDesc &levels);

    // Every low supply silenced (and one at least); the low ones silenced or heard again; those
    // above half full heard again; all heard again, for another printer.
    bool silencesSupplies(const QList<Supply> &supplies) const;
    void ignoreSupplies(const QList<Supply> &supplies, bool set);
    void rearmSupplies(const QList<Supply> &supplies);
    void forgetSupplies() { m_supplies.clear(); }

    // "./.cfg_(<name>)" with every whitespace character as "_"; the name must already be safe
    // as part of a file name.
    static QString fileName(const QString &product);
    // The file is named in the log as given and read or written at the path. A missing, short
    // or unreadable file silences nothing.
    void load(const QString &name, const QString &path);
    // The old file stays whole when the new one cannot be written.
    bool save(const QString &name, const QString &path) const;

private:
    quint32 m_bits = 0;
    QStringList m_supplies;
};
