#pragma once

#include <QByteArray>

// A plain Xlib connection to the test display ($DISPLAY), for looking at selections and
// writing properties the way another client would.
class X11Fixture
{
public:
    X11Fixture();
    ~X11Fixture();
    X11Fixture(const X11Fixture &) = delete;
    X11Fixture &operator=(const X11Fixture &) = delete;

    bool isOpen() const { return m_display != nullptr; }

    // The owner window of the selection with that atom name, 0 when none.
    unsigned long selectionOwner(const QByteArray &atomName) const;
    bool waitForSelectionOwner(const QByteArray &atomName, int timeoutMs = 10000) const;

    // Writes a property on a window; type and property are atom names.
    void writeProperty(unsigned long window, const QByteArray &property, const QByteArray &type,
                       int format, const QByteArray &data);

private:
    void *m_display = nullptr;
};
