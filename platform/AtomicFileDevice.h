#pragma once

#include "AtomicFile.h"

#include <QIODevice>

// Lets a writer that streams into a QIODevice write an atomic file, so its write errors reach
// the writer.
class AtomicFileDevice : public QIODevice {
public:
    explicit AtomicFileDevice(AtomicFile& file) : file_(file) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override {
        return file_.write(QByteArray::fromRawData(data, static_cast<qsizetype>(length))) ? length
                                                                                          : -1;
    }

private:
    AtomicFile& file_;
};
