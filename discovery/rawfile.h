#pragma once

#include <QFile>

// A file read without buffering. Files under /proc report size 0 yet have contents, so a
// regular file of size 0 opened for reading counts as a stream and is read to its end; so does
// everything that is not a regular file.
class RawFile : public QFile
{
public:
    explicit RawFile(const QString &name);

    bool open(OpenMode mode) override;
    bool isSequential() const override;

private:
    bool m_sequential = false;
};
