// Test helper: reports what the data layer makes of the ODBC drivers that this
// process sees. Usage: store_driver_probe <new database path> <template>
#include "store/DbConnection.h"

#include <QCoreApplication>

#include <cstdio>

using namespace velmar::store;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    SetBlankDatabaseTemplate(QString::fromLocal8Bit(argv[2]));
    QString name = QStringLiteral("/tmp/folder.v2/survey");
    const bool fixed = FixDatabaseExtension(nullptr, name, true);
    std::printf("driver=%s\n", getAccessDriverName(nullptr).toUtf8().constData());
    std::printf("fix=%d:%s\n", int(fixed), name.toUtf8().constData());
    std::printf("open=%d\n", OpenDB(nullptr, QString::fromLocal8Bit(argv[1])));
    CloseDB();
    return 0;
}
