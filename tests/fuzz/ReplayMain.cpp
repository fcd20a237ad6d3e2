// Runs a fuzz target over the files of its corpus once each, so the regular test suite checks
// every seed and every past finding without the fuzzing engine (and with any compiler).
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char* argv[]) {
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        // A directory stands for the files in it.
        const QFileInfo arg(QString::fromLocal8Bit(argv[i]));
        QStringList all;
        if (!arg.isDir())
            all.append(arg.filePath());
        for (const QFileInfo& entry : QDir(arg.filePath()).entryInfoList(QDir::Files, QDir::Name))
            all.append(entry.filePath());
        for (const QString& path : all) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "Couldn't read %s\n", qPrintable(path));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                   static_cast<size_t>(bytes.size()));
            ++files;
        }
    }
    std::printf("Replayed %d inputs\n", files);
    return files > 0 ? 0 : 1;
}
