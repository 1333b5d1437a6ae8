// Runs a fuzz target's input function once over each file given, and over
// each file in each folder given: the seeds and the inputs kept from faults
// a fuzzer found, as an ordinary test. A fault ends the program (the
// target's own checks abort; sanitizers report and abort in their builds).
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList files;
    for (const QString& arg : app.arguments().mid(1)) {
        if (QFileInfo(arg).isDir()) {
            QDirIterator it(arg, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                files << it.next();
        } else if (QFileInfo::exists(arg)) {
            files << arg;
        }
    }
    files.sort();
    for (const QString& path : files) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QByteArray bytes = f.readAll();
        std::fprintf(stderr, "%s\n", qPrintable(path));
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    }
    std::printf("ran %lld inputs\n", static_cast<long long>(files.size()));
    return 0;
}
