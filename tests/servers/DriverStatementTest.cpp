// What a query thread's connection shows, on each of the three drivers: the
// same text conventions whatever the driver reports.

#include "../odbc/RecordingOwner.h"
#include "OdbcTestConfig.h"
#include "ServerDataSources.h"
#include "odbc/CThreadODBC.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

enum class Driver
{
    Sqlite,
    Postgres,
    MariaDb
};

struct Dialect
{
    Driver driver;
    const char* label;
    const char* binaryType;
    const char* binaryLiteral; // the bytes 01 02
    const char* longTextType;
    bool severalStatements;  // several statements in one call
    const char* varcharCast; // %1 as ordinary (not long) text of up to 255 characters (longer ones
                             // are long text to some drivers)
};

void PrintTo(const Dialect& dialect, std::ostream* out)
{
    *out << dialect.label;
}

const Dialect kDialects[] = {
    {Driver::Sqlite, "SQLite", "LONGVARBINARY", "x'0102'", "TEXT", false,
     "CAST('%1' AS VARCHAR(255))"},
    {Driver::Postgres, "PostgreSQL", "bytea", "'\\x0102'::bytea", "text", true,
     "CAST('%1' AS VARCHAR(255))"},
    {Driver::MariaDb, "MariaDB", "LONGBLOB", "x'0102'", "LONGTEXT", true,
     "CAST('%1' AS CHAR(255))"},
};

// Can pretend that the driver gives no display size.
class Connection : public CThreadODBC
{
public:
    using CThreadODBC::CThreadODBC;
    SQLRETURN SqlColAttribute(SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text,
                              SQLSMALLINT textMax, SQLSMALLINT* textLength, SQLLEN* number) override
    {
        if (field == SQL_COLUMN_DISPLAY_SIZE && hideDisplaySize) {
            return SQL_ERROR;
        }
        return CThreadODBC::SqlColAttribute(column, field, text, textMax, textLength, number);
    }
    bool hideDisplaySize = false;
};

class DriverStatement : public testing::TestWithParam<Dialect>
{
protected:
    void SetUp() override
    {
        const Dialect& dialect = GetParam();
        if (dialect.driver == Driver::Sqlite) {
            sqlite.emplace();
            dsn = sqlite->Name();
        } else {
            dsn = QStringLiteral("Stmt%1").arg(dialect.label);
            const bool postgres = dialect.driver == Driver::Postgres;
            if (!(postgres ? servers.AddPostgres(dsn) : servers.AddMariaDb(dsn))) {
                GTEST_SKIP() << servers.Problem().toStdString();
            }
            // The connection string always carries UID and PWD, and an empty
            // one overrides the data source's own (PostgreSQL's driver does).
            user = postgres ? servers.PostgresUser() : servers.MariaDbUser();
            password = postgres ? servers.PostgresPassword() : servers.MariaDbPassword();
        }
        QString error;
        ASSERT_TRUE(connection.ConnectNoPrompt(dsn, user, password, {}, 10, false, &error))
            << error.toStdString() << owner.Lines().join(u'\n').toStdString();
        // Drivers may greet with information lines; each test starts afresh.
        owner.elements.clear();
    }

    // Runs `sql` and returns what the user would see, "kind|text" per element.
    QStringList Show(const QString& sql)
    {
        owner.elements.clear();
        RunBatch(connection, owner, sql);
        return owner.Lines();
    }
    QString Varchar(const QString& value) const
    {
        return QString::fromLatin1(GetParam().varcharCast).arg(value);
    }
    void Run(const QString& sql)
    {
        RunBatch(connection, owner, sql);
        ASSERT_TRUE(owner.TextsOfKind(ElemError).isEmpty())
            << sql.toStdString() << ": " << owner.Lines().join(u'\n').toStdString();
    }

    std::optional<SqliteDataSource> sqlite;
    ServerDataSources servers;
    QString dsn;
    QString user;
    QString password;
    RecordingOwner owner;
    Connection connection{&owner};
};

QString Tab()
{
    return QStringLiteral("\t");
}

} // namespace

TEST_P(DriverStatement, NullIsEmptyAndTabsBecomeBlanks)
{
    EXPECT_EQ(Show(u"SELECT 1 AS a, NULL AS b, 'x"_qs + Tab() + u"y' AS c"_qs),
              (QStringList{u"4|a\tb\tc"_qs, u"3|1\t\tx y"_qs, u"1|End(No data found)"_qs}));
}

TEST_P(DriverStatement, BinaryValuesShowAPlaceholderAndNullsNothing)
{
    Run(u"CREATE TEMPORARY TABLE bin_t (id INTEGER, data "_qs +
        QString::fromLatin1(GetParam().binaryType) + u')');
    Run(u"INSERT INTO bin_t VALUES (1, "_qs + QString::fromLatin1(GetParam().binaryLiteral) +
        u")"_qs);
    EXPECT_EQ(owner.TextsOfKind(ElemInfo).last(), u"Rows affected:\t1"_qs);
    Run(u"INSERT INTO bin_t VALUES (2, NULL)"_qs);
    EXPECT_EQ(Show(u"SELECT id, data FROM bin_t ORDER BY id"_qs),
              (QStringList{u"4|id\tdata"_qs, u"3|1\t[Binary data]"_qs, u"3|2\t"_qs,
                           u"1|End(No data found)"_qs}));
    // Before a bound column too, and without a warning for the value's unread bytes.
    EXPECT_EQ(Show(u"SELECT data, id FROM bin_t ORDER BY id"_qs),
              (QStringList{u"4|data\tid"_qs, u"3|[Binary data]\t1"_qs, u"3|\t2"_qs,
                           u"1|End(No data found)"_qs}));
}

TEST_P(DriverStatement, LongTextIsCutAt233WithAWarning)
{
    Run(u"CREATE TEMPORARY TABLE long_t (body "_qs + QString::fromLatin1(GetParam().longTextType) +
        u')');
    Run(u"INSERT INTO long_t VALUES ('"_qs + QString(500, u'q') + u"')"_qs);
    const QStringList shown = Show(u"SELECT body FROM long_t"_qs);
    EXPECT_EQ(owner.TextsOfKind(ElemRow), QStringList{QString(233, u'q')});
    const QStringList info = owner.TextsOfKind(ElemInfo);
    ASSERT_EQ(info.filter(u"01004"_qs).size(), 1) << shown.join(u'\n').toStdString();
    EXPECT_EQ(connection.GetStatus(), StatusNoData) << "the fetch loop ends on no data";
}

TEST_P(DriverStatement, ColumnWithoutDisplaySizeGets250Characters)
{
    connection.hideDisplaySize = true;
    const QString value(255, u'w');
    Show(u"SELECT "_qs + Varchar(value) + u" AS v"_qs);
    EXPECT_EQ(owner.TextsOfKind(ElemRow), QStringList{value.left(250)});
    EXPECT_EQ(owner.TextsOfKind(ElemInfo).filter(u"01004"_qs).size(), 1)
        << owner.Lines().join(u'\n').toStdString();
}

TEST_P(DriverStatement, WarningsAreInformationUnlessIgnored)
{
    connection.hideDisplaySize = true;
    const QString sql = u"SELECT "_qs + Varchar(QString(255, u'w')) + u" AS v"_qs;
    ASSERT_TRUE(connection.ExecuteCancellable(sql));
    connection.DescribeColumns();
    EXPECT_TRUE(connection.CheckReturn(connection.SqlFetch()));
    EXPECT_EQ(connection.GetStatus(), StatusInfo);

    owner.ignoreInfo = true;
    Show(sql);
    EXPECT_EQ(owner.Lines(), (QStringList{u"4|v"_qs, u"3|"_qs + QString(250, u'w')}))
        << "neither the warning nor the end of data is shown";
}

TEST_P(DriverStatement, UpdatesShowTheirRowCount)
{
    Run(u"CREATE TEMPORARY TABLE upd_t (n INTEGER)"_qs);
    Run(u"INSERT INTO upd_t VALUES (1)"_qs);
    Run(u"INSERT INTO upd_t VALUES (2)"_qs);
    Run(u"INSERT INTO upd_t VALUES (3)"_qs);
    EXPECT_EQ(Show(u"UPDATE upd_t SET n = n + 10"_qs), QStringList{u"1|Rows affected:\t3"_qs});
}

TEST_P(DriverStatement, TwoSelectsInOneBatchGiveTwoResultSets)
{
    const QStringList shown = Show(u"SELECT 1 AS first; SELECT 'b' AS second"_qs);
    if (!GetParam().severalStatements) {
        // The driver refuses a second statement in one call: an error line, no rows.
        EXPECT_EQ(owner.TextsOfKind(ElemError).size(), 1) << shown.join(u'\n').toStdString();
        EXPECT_TRUE(owner.TextsOfKind(ElemRow).isEmpty());
        return;
    }
    EXPECT_EQ(shown, (QStringList{u"4|first"_qs, u"3|1"_qs, u"1|End(No data found)"_qs,
                                  u"4|second"_qs, u"3|b"_qs, u"1|End(No data found)"_qs}));
}

TEST_P(DriverStatement, FailingStatementGivesSqlstateAndNativeCode)
{
    Show(u"SELECT * FROM table_that_is_not_there"_qs);
    const QStringList errors = owner.TextsOfKind(ElemError);
    ASSERT_FALSE(errors.isEmpty());
    // "[Native:n]<TAB>SQLSTATE message", the native field only with a nonzero code.
    static const QRegularExpression line(u"^(\\[Native:-?\\d+\\]\\t)?[0-9A-Z]{5} .+"_qs);
    EXPECT_TRUE(line.match(errors.first()).hasMatch()) << errors.first().toStdString();
    for (qsizetype i = 1; i < errors.size(); ++i) {
        EXPECT_FALSE(errors[i].startsWith(u"[Native:"_qs)) << "only the first line has the code";
    }
    EXPECT_EQ(connection.GetStatus(), StatusError);
    EXPECT_TRUE(owner.TextsOfKind(ElemRow).isEmpty());
}

TEST_P(DriverStatement, UnicodeComesBackUnchanged)
{
    const QString text = u"Grüße, Ελληνικά, 日本語, ﬁ €"_qs;
    EXPECT_EQ(Show(u"SELECT '"_qs + text + u"' AS t"_qs),
              (QStringList{u"4|t"_qs, u"3|"_qs + text, u"1|End(No data found)"_qs}));

    Run(u"CREATE TEMPORARY TABLE uni_t (v VARCHAR(100))"_qs);
    Run(u"INSERT INTO uni_t VALUES ('"_qs + text + u"')"_qs);
    Show(u"SELECT v FROM uni_t"_qs);
    EXPECT_EQ(owner.TextsOfKind(ElemRow), QStringList{text});
}

TEST_P(DriverStatement, CharactersBeyondTheBasicPlaneComeBackExactly)
{
    // As a query thread does: SQLite's 8-bit driver gets statements as UTF-8,
    // which the driver manager's conversion could not carry.
    connection.SetUtf8Statements(connection.Traits().utf8Statements);
    const QString text = u"a😀b🎉"_qs;
    Show(u"SELECT '"_qs + text + u"' AS t"_qs);
    // MariaDB's display size counts the four characters, which would leave its wide element
    // no room for the second pair: text is read with room for the long-text limit at least.
    EXPECT_EQ(owner.TextsOfKind(ElemRow), QStringList{text});
}

// Query threads bind text as UTF-8 for some drivers because it is cheaper;
// what the user sees must not change by it, on any driver.
TEST_P(DriverStatement, Utf8AndWideBindingShowTheSameText)
{
    Run(u"CREATE TEMPORARY TABLE bind_t (id INTEGER, v VARCHAR(100), body "_qs +
        QString::fromLatin1(GetParam().longTextType) + u", r REAL, d DATE)"_qs);
    const QStringList values = {
        u"plain ascii"_qs, u"Grüße, Ελληνικά"_qs,  u"日本語のテキスト"_qs, u"tab\there"_qs, u""_qs,
        u"ﬁ € ™ ½"_qs,     u"trailing blanks  "_qs};
    int id = 0;
    for (const QString& value : values) {
        ++id;
        QString quoted = value;
        quoted.replace(u"\\t"_qs, Tab());
        Run(u"INSERT INTO bind_t VALUES (%1, '%2', '%2', %1.25, '2026-12-%3')"_qs.arg(id)
                .arg(quoted)
                .arg(id, 2, 10, QChar(u'0')));
    }
    // Long text past the 233 characters a row shows, in one-, two- and
    // three-byte characters: each path must cut it at the same character.
    // (Not through MariaDB's wide path: its driver reads past its own buffer
    // converting such a cut value; query threads bind it as UTF-8 there, see
    // below.)
    const bool mariaDb = GetParam().driver == Driver::MariaDb;
    const QStringList longValues =
        mariaDb ? QStringList{QString(400, u'x')}
                : QStringList{QString(400, u'x'), QString(400, u'é'), QString(400, u'語')};
    for (const QString& repeated : longValues) {
        ++id;
        Run(u"INSERT INTO bind_t VALUES (%1, NULL, '%2', NULL, NULL)"_qs.arg(id).arg(repeated));
    }
    if (GetParam().driver != Driver::Sqlite) {
        // SQLite's 8-bit driver cannot take these in a statement (see above).
        ++id;
        Run(u"INSERT INTO bind_t VALUES (%1, 'a😀b', 'c😀d', NULL, NULL)"_qs.arg(id));
    }
    QStringList selects = {u"SELECT id, v, body, r, d FROM bind_t ORDER BY id"_qs};

    // Values that fill a short column or, where the driver does not enforce
    // its length (SQLite), overflow it: cut by the driver in the wide form,
    // here in the UTF-8 form, with a warning either way.
    Run(u"CREATE TEMPORARY TABLE short_t (id INTEGER, s VARCHAR(3))"_qs);
    const QStringList shortValues =
        GetParam().driver == Driver::Sqlite
            ? QStringList{u"abc"_qs, u"abcdef"_qs, u"語語語語"_qs, u"éé"_qs, u"x\ty"_qs}
        : mariaDb
            // Its wide path reads past the driver's own buffer for a value
            // it has to cut (see below), so only values its wide element holds.
            ? QStringList{u"abc"_qs, u"a😀b"_qs, u"é語x"_qs, u"😀b"_qs, u"x"_qs}
            : QStringList{u"abc"_qs, u"a😀b"_qs, u"😀😀b"_qs, u"😀😀😀"_qs, u"é語😀"_qs};
    int shortId = 0;
    for (QString value : shortValues) {
        value.replace(u"\\t"_qs, Tab());
        Run(u"INSERT INTO short_t VALUES (%1, '%2')"_qs.arg(++shortId).arg(value));
    }
    selects << u"SELECT id, s FROM short_t ORDER BY id"_qs;

    // Where query threads use UTF-8, every line must match, a warning for
    // every cut value included.
    const bool used = connection.Traits().utf8Text;
    const auto rowsOnly = [](const QStringList& lines) {
        QStringList rows;
        for (const QString& line : lines) {
            if (!line.startsWith(u"1|"_qs) || line == u"1|End(No data found)"_qs) {
                rows << line;
            }
        }
        return rows;
    };
    QStringList wide;
    for (const QString& select : selects) {
        connection.SetUtf8Text(false);
        const QStringList wideShown = Show(select);
        connection.SetUtf8Text(true, connection.Traits().fullWideElements);
        const QStringList utf8 = Show(select);
        EXPECT_TRUE(owner.TextsOfKind(ElemError).isEmpty()) << utf8.join(u'\n').toStdString();
        const QString both = wideShown.join(u'\n') + u"\n---\n"_qs + utf8.join(u'\n');
        EXPECT_EQ(rowsOnly(utf8), rowsOnly(wideShown)) << both.toStdString();
        if (used) {
            // Each row cut in the wide form comes with a warning in the UTF-8
            // form too, before the same row; the wording may differ (the MariaDB
            // driver words its own as a conversion error, HY000). That driver
            // cuts a full wide element without a warning; the UTF-8 form warns.
            const bool silentCuts = connection.Traits().fullWideElements;
            qsizetype u = 0;
            for (qsizetype w = 0; w < wideShown.size(); ++w, ++u) {
                const bool wideWarns =
                    wideShown[w].startsWith(u"1|"_qs) && wideShown[w] != u"1|End(No data found)"_qs;
                while (silentCuts && !wideWarns && u < utf8.size() &&
                       utf8[u].startsWith(u"1|01004"_qs)) {
                    ++u;
                }
                ASSERT_LT(u, utf8.size()) << both.toStdString();
                EXPECT_EQ(utf8[u].startsWith(u"1|"_qs), wideShown[w].startsWith(u"1|"_qs))
                    << "line " << w << "\n"
                    << both.toStdString();
            }
            EXPECT_EQ(u, utf8.size()) << both.toStdString();
        }
        wide << wideShown;
    }
    // (Counted without a regular expression: a cut may leave half a surrogate pair.)
    EXPECT_EQ(std::count_if(wide.cbegin(), wide.cend(),
                            [](const QString& line) { return line.startsWith(u"3|"_qs); }),
              id + 5)
        << wide.join(u'\n').toStdString();
    // The wide path is the reference; make sure it shows what went in.
    EXPECT_TRUE(wide.filter(u"日本語のテキスト"_qs).size() == 1) << wide.join(u'\n').toStdString();
    if (!mariaDb) {
        EXPECT_TRUE(wide.filter(QString(233, u'語')).size() == 1) << wide.join(u'\n').toStdString();
        EXPECT_TRUE(wide.filter(QString(234, u'語')).isEmpty());
        return;
    }
    // MariaDB's long text in UTF-8, cut here at 233 characters with a warning.
    Run(u"CREATE TEMPORARY TABLE long_utf8_t (body LONGTEXT)"_qs);
    Run(u"INSERT INTO long_utf8_t VALUES ('"_qs + QString(400, u'語') + u"')"_qs);
    connection.SetUtf8Text(true, true);
    const QStringList shown = Show(u"SELECT body FROM long_utf8_t"_qs);
    ASSERT_EQ(shown.size(), 4) << shown.join(u'\n').toStdString();
    EXPECT_TRUE(shown[1].startsWith(u"1|01004"_qs)) << "one truncation warning";
    EXPECT_EQ(shown[2], u"3|"_qs + QString(233, u'語'));
    EXPECT_EQ(shown[3], u"1|End(No data found)"_qs);
}

INSTANTIATE_TEST_SUITE_P(AllDrivers, DriverStatement, testing::ValuesIn(kDialects));
