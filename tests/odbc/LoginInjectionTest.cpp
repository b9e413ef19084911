// A document someone sent names a data source, a login and a password; none of them may set an
// attribute of the driver (another database file, a library to load).

#include "OdbcTestConfig.h"
#include "odbc/CODBCObject.h"
#include "odbc/OdbcString.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The files of the databases SQLite has open, as "pragma database_list" names them.
QStringList OpenDatabaseFiles(CODBCObject& db)
{
    QStringList files;
    if (!SQL_SUCCEEDED(db.SqlExecDirect(u"pragma database_list"_qs))) {
        return {u"<pragma failed>"_qs};
    }
    while (SQL_SUCCEEDED(db.SqlFetch())) {
        odbc::WideBuffer file(512);
        SQLLEN indicator = 0;
        db.SqlGetData(3, SQL_C_WCHAR, file.data(), (file.chars() + 1) * sizeof(SQLWCHAR),
                      &indicator);
        files << (indicator == SQL_NULL_DATA ? QString() : file.text());
    }
    db.SqlFreeStmt(SQL_CLOSE);
    return files;
}

// A name of its own for every data source: the installer may answer what it read before from a
// file changed within the same second.
QString UniqueName(const QString& prefix)
{
    static int count = 0;
    return prefix + QString::number(++count);
}

// SQLite's driver reads no braces; a copy of it under a name we do not know stands for any
// driver whose reading we have not tried.
class LoginInjection : public testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        if (GetParam()) {
            const QString library = m_dir.filePath(u"libsomeodbc.so"_qs);
            ASSERT_TRUE(QFile::link(OdbcTestConfig::DriverPath(u"libsqlite3odbc.so"_qs), library));
            m_name = UniqueName(u"UnknownDriver"_qs);
            OdbcTestConfig::Instance().SetDataSource(
                m_name, {{u"Driver"_qs, library}, {u"Database"_qs, OwnFile()}});
        } else {
            m_name = m_sqlite.Name();
        }
    }
    void TearDown() override
    {
        if (GetParam()) {
            OdbcTestConfig::Instance().RemoveDataSource(m_name);
        }
    }

    QString OwnFile() const
    {
        return GetParam() ? m_dir.filePath(u"own.db"_qs) : m_sqlite.DatabasePath();
    }
    QString OtherFile() const { return m_dir.filePath(u"other.db"_qs); }

    testing::AssertionResult Connect(CODBCObject& db, const QString& user, const QString& password,
                                     const QString& dataSource = {})
    {
        QString error;
        if (db.ConnectNoPrompt(dataSource.isEmpty() ? m_name : dataSource, user, password, {}, 5,
                               false, &error)) {
            return testing::AssertionSuccess();
        }
        return testing::AssertionFailure() << error.toStdString();
    }

    QTemporaryDir m_dir;
    SqliteDataSource m_sqlite;
    QString m_name;
};

} // namespace

TEST_P(LoginInjection, LoginOrPasswordCannotChooseAnotherDatabase)
{
    const QString hostile = u"me;Database="_qs + OtherFile() + u";x="_qs;
    for (const auto& [user, password] :
         {std::pair{hostile, QString()}, {QString(), hostile}, {hostile, hostile}}) {
        CODBCObject db;
        ASSERT_TRUE(Connect(db, user, password));
        EXPECT_EQ(OpenDatabaseFiles(db), QStringList{OwnFile()});
    }
    EXPECT_FALSE(QFile::exists(OtherFile()));
}

TEST_P(LoginInjection, LoginCannotLoadALibrary)
{
    const QString marker = m_dir.filePath(u"loaded"_qs);
    qputenv("TESSELLA_LOAD_MARKER", marker.toLocal8Bit());
    const QString hostile =
        u"me;LoadExt="_qs + QStringLiteral(TESSELLA_LOAD_MARKER_LIBRARY) + u";x="_qs;
    CODBCObject db;
    EXPECT_TRUE(Connect(db, hostile, hostile));
    EXPECT_EQ(OpenDatabaseFiles(db), QStringList{OwnFile()});
    qunsetenv("TESSELLA_LOAD_MARKER");
    EXPECT_FALSE(QFile::exists(marker)) << "the driver loaded the library a login named";
}

TEST_P(LoginInjection, DataSourceNameCannotAddAttributes)
{
    // An empty Database is a database in memory: a name read as attributes would open that.
    const QString p = UniqueName(u"T"_qs);
    for (const QString& name :
         {p + u";Database=;x="_qs, p + u"}Database=;x="_qs, u'{' + p + u";Database=;x="_qs}) {
        auto attributes =
            QMap<QString, QString>{{u"Driver"_qs, u"SQLite3"_qs}, {u"Database"_qs, OwnFile()}};
        if (GetParam()) {
            attributes[u"Driver"_qs] = m_dir.filePath(u"libsomeodbc.so"_qs);
        }
        OdbcTestConfig::Instance().SetDataSource(name, attributes);
        CODBCObject db;
        EXPECT_TRUE(Connect(db, u"me"_qs, QString(), name)) << name.toStdString();
        EXPECT_EQ(OpenDatabaseFiles(db), QStringList{OwnFile()}) << name.toStdString();
        OdbcTestConfig::Instance().RemoveDataSource(name);
    }
}

INSTANTIATE_TEST_SUITE_P(Driver, LoginInjection, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "UnknownDriver" : "Sqlite";
                         });
