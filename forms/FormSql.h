#pragma once
// Statement helpers of the user-form layer: a prepared statement whose
// parameters keep their own storage until it runs, and column readers that
// take a whole value however long it is. Internal to the forms library.
//
// User-interface thread only.
#include "store/SqlText.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

namespace velmar::forms::detail {

class ParamStatement {
public:
    explicit ParamStatement(SQLHDBC connection);
    bool prepare(const QString& text);
    // Parameters in order from 1. A null QString binds NULL.
    void addText(const QString& text);
    void addInt(qint64 value);
    void addDouble(double value);
    void addNull();
    // True on success (also SQL_NO_DATA, an UPDATE that touched no row).
    bool execute();
    // Rows an executed UPDATE or INSERT touched.
    qint64 rowCount() const;
    SQLHSTMT handle() const { return m_statement.handle(); }
    QString text() const { return m_text; }

private:
    struct Param {
        QByteArray bytes;
        qint64 integer = 0;
        double real = 0;
        SQLLEN indicator = 0;
    };
    store::SqlStatement m_statement;
    QString m_text;
    QByteArray m_textBytes;
    std::deque<Param> m_params;
    bool m_prepared = false;
    bool m_bindFailed = false;
};

// The value of column `column` of the fetched row; null QString for NULL.
QString columnText(SQLHSTMT statement, int column);
std::optional<qint64> columnInt(SQLHSTMT statement, int column);
std::optional<double> columnDouble(SQLHSTMT statement, int column);

// A fetched row of a definition table (button panels' and user forms' alike)
// read by the 0-based place of each column in the select list. Every read
// tells `seen` whether the column held a value or NULL.
class DefinitionRowReader {
public:
    using Seen = std::function<void(int column, bool present)>;
    DefinitionRowReader(SQLHSTMT statement, Seen seen) : m_statement(statement), m_seen(std::move(seen)) {}
    // Cut to width characters, trailing blanks dropped; null for NULL.
    QString text(int column, int width) const;
    std::optional<qint64> integer(int column) const;
    std::optional<double> real(int column) const;

private:
    SQLHSTMT m_statement;
    Seen m_seen;
};

// "SELECT <columns> FROM <table> ORDER BY "Order" ASC", every name quoted.
QString definitionSelectText(const QStringList& columns, const QString& table);

} // namespace velmar::forms::detail
