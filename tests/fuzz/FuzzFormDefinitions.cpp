// A user form's definition table as an operator may fill it: each line of
// the input is one row ("|" between the columns after "Order", an empty
// value is NULL), stored into a fresh survey's "UDF_Fuzz" and read as the
// program reads a form at start, look-up lists and data table included.
#include "FuzzCheck.h"

#include "forms/ControlTypeInfo.h"
#include "forms/UserFormInfo.h"
#include "store/DbConnection.h"
#include "store/FixedSchema.h"
#include "store/SqlText.h"

#include <sqlext.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

using namespace velmar;

namespace {

constexpr int MaxRows = 64;
const QString Table = QStringLiteral("UDF_Fuzz");

// The column types of a definition table as the survey template makes them.
const char* columnType(int column)
{
    switch (column) {
    case forms::COL_ORDER:
    case forms::COL_LENGTH:
    case forms::COL_HEIGHT:
    case forms::COL_NMEAPOSITION:
    case forms::COL_ADCCHANNEL:
    case forms::COL_ADCGAIN:
    case forms::COL_AUTOUPDATE: return "SMALLINT";
    case forms::COL_MINVALUE:
    case forms::COL_MAXVALUE:
    case forms::COL_ANALOGMULTIPLY:
    case forms::COL_ANALOGADD: return "REAL";
    case forms::COL_REQUIRED:
    case forms::COL_READONLY:
    case forms::COL_AUTOCLEAR:
    case forms::COL_FORCEGPS:
    case forms::COL_PLOT: return "BIT";
    case forms::COL_HINT: return "VARCHAR(100)";
    case forms::COL_COLOUR: return "VARCHAR(20)";
    default: return "VARCHAR(50)";
    }
}

bool exec(const QString& text)
{
    store::SqlStatement s(store::GetDbConnection());
    return s.execDirect(text);
}

QString literal(const QString& value)
{
    if (value.isEmpty())
        return QStringLiteral("NULL");
    return QLatin1Char('\'') + QString(value).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

QStringList tableNames()
{
    store::SqlStatement s(store::GetDbConnection());
    QStringList names;
    if (!s.execDirect(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        return names;
    while (store::sqlSucceeded(SQLFetch(s.handle()))) {
        char name[512] = {};
        SQLLEN length = 0;
        if (store::sqlSucceeded(SQLGetData(s.handle(), 1, SQL_C_CHAR, name, sizeof name, &length)))
            names << QString::fromUtf8(name);
    }
    return names;
}

struct Survey {
    QTemporaryDir dir;
    QString file() const { return dir.filePath(QStringLiteral("survey.sqlite")); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_form_definitions";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    static Survey* survey = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        store::SetBlankDatabaseTemplate(QString::fromLocal8Bit(qgetenv("VELMAR_BIN_DIR"))
                                        + QStringLiteral("/BlankVelmar._sqlite"));
        return new Survey;
    }();
    (void)app;

    // One survey for the run (opening one takes long); the tables an input
    // made are dropped after it, so the next starts from the same tables.
    static const QStringList startTables = [] {
        FUZZ_CHECK(store::OpenDB(nullptr, survey->file()) == store::kOpenDbOk);
        return tableNames();
    }();

    QStringList columns;
    QStringList names;
    for (int c = 0; c < forms::DefinitionColumnCount; ++c) {
        const QString column = store::QuoteIdentifier(QString::fromLatin1(forms::DefinitionColumnName(c)));
        columns << column + QLatin1Char(' ') + QLatin1String(columnType(c))
                       + (c == forms::COL_ORDER ? QStringLiteral(" PRIMARY KEY") : QString());
        names << column;
    }
    FUZZ_CHECK(exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(store::QuoteIdentifier(Table), columns.join(u','))));

    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    int order = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (++order > MaxRows)
            break;
        QStringList values{QString::number(order)};
        for (const QString& value : line.split(QLatin1Char('|')).mid(0, forms::DefinitionColumnCount - 1))
            values << literal(value);
        exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                 .arg(store::QuoteIdentifier(Table), names.mid(0, values.size()).join(u','), values.join(u',')));
    }

    store::DbCheckUserTable(store::GetDbConnection(), Table, store::kUserTableUserForm);
    {
        const auto form = std::make_unique<forms::TUserFormInfo>(Table, -1);
        FUZZ_CHECK(forms::UserFormList().size() == 1);
        for (const auto& row : form->Rows())
            FUZZ_CHECK(row->FieldLength() >= 0);
    }
    FUZZ_CHECK(forms::UserFormList().empty());
    for (const QString& table : tableNames())
        if (!startTables.contains(table))
            FUZZ_CHECK(exec(QStringLiteral("DROP TABLE %1").arg(store::QuoteIdentifier(table))));
    return 0;
}
