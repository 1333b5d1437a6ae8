// Makes the blank survey database template from the fixed schema:
//   velmar_make_blank_db <output file>
// The file is written beside the output under a temporary name and renamed
// into place, so an interrupted build never leaves a half-made template.
#include "store/DbConnection.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    const QString temporary = output + QStringLiteral(".part");
    QFile::remove(temporary);
    if (!velmar::store::DbWriteBlankTemplate(temporary)) {
        std::fprintf(stderr, "cannot make the blank survey database %s\n", argv[1]);
        QFile::remove(temporary);
        return 1;
    }
    QFile::remove(output);
    if (!QFile::rename(temporary, output)) {
        std::fprintf(stderr, "cannot move the blank survey database to %s\n", argv[1]);
        return 1;
    }
    return 0;
}
