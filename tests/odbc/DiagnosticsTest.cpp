#include "odbc/CODBCObject.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

struct Record
{
    QString state;
    SQLINTEGER native;
    QString message;
    SQLRETURN rc = SQL_SUCCESS;
};

// Plays back diagnostic records instead of asking a driver.
class ScriptedDiagnostics : public CODBCObject
{
public:
    explicit ScriptedDiagnostics(std::deque<Record> records) : m_records(std::move(records)) {}

    SQLRETURN SqlError(SQLWCHAR* state, SQLINTEGER* native, SQLWCHAR* message,
                       SQLSMALLINT messageMax, SQLSMALLINT* length) override
    {
        if (m_records.empty()) {
            return SQL_NO_DATA;
        }
        const Record r = m_records.front();
        m_records.pop_front();
        Copy(r.state, state, 6);
        Copy(r.message, message, messageMax);
        *native = r.native;
        *length = static_cast<SQLSMALLINT>(r.message.size());
        return r.rc;
    }
    SQLRETURN SqlGetStmtOption(SQLUSMALLINT option, SQLPOINTER value) override
    {
        if (option != SQL_CURSOR_TYPE || cursorType < 0) {
            return SQL_ERROR;
        }
        *static_cast<SQLULEN*>(value) = static_cast<SQLULEN>(cursorType);
        return SQL_SUCCESS;
    }

    void SetPassword(const QString& password) { m_password = password; }

    int cursorType = -1;

private:
    static void Copy(const QString& text, SQLWCHAR* out, int max)
    {
        int i = 0;
        for (; i < text.size() && i < max - 1; ++i) {
            out[i] = text[i].unicode();
        }
        out[i] = 0;
    }

    std::deque<Record> m_records;
};

QString ErrorText(ScriptedDiagnostics& object, SQLINTEGER* native = nullptr, bool strip = false)
{
    QString text;
    object.GetErrorText(text, native, strip);
    return text;
}

} // namespace

TEST(Diagnostics, EveryRecordBecomesOneLineInDriverOrder)
{
    ScriptedDiagnostics object({{u"42S02"_qs, 1146, u"[vendor][driver]Table missing"_qs},
                                {u"01000"_qs, 0, u"General warning"_qs},
                                {u"HY000"_qs, 7, u"Third"_qs}});
    SQLINTEGER native = 0;
    EXPECT_EQ(ErrorText(object, &native),
              u"42S02 [vendor][driver]Table missing\r\n01000 General warning\r\nHY000 Third"_qs);
    EXPECT_EQ(native, 1146) << "the first record's native code";
}

TEST(Diagnostics, StateZeroEndsTheList)
{
    ScriptedDiagnostics object({{u"HY000"_qs, 1, u"one"_qs},
                                {u"00000"_qs, 0, u"not a record"_qs},
                                {u"HY000"_qs, 1, u"never read"_qs}});
    EXPECT_EQ(ErrorText(object), u"HY000 one"_qs);
}

TEST(Diagnostics, StripKeepsTheTextAfterTheLastBracket)
{
    ScriptedDiagnostics object({{u"42000"_qs, 1, u"[a][b][c] Syntax error"_qs},
                                {u"42000"_qs, 1, u"No brackets here"_qs},
                                {u"42000"_qs, 1, u"[ends with]"_qs},
                                {u"42000"_qs, 1, u"[x]no blank"_qs}});
    EXPECT_EQ(ErrorText(object, nullptr, true),
              u"Syntax error\r\nNo brackets here\r\n\r\nno blank"_qs);
}

TEST(Diagnostics, LinkFailureAndGeneralErrorGetTheirNativeCodes)
{
    ScriptedDiagnostics lost({{u"HY000"_qs, 2013, u"first"_qs}, {u"08S01"_qs, 0, u"gone"_qs}});
    SQLINTEGER native = 0;
    ErrorText(lost, &native);
    EXPECT_EQ(native, 5);

    ScriptedDiagnostics general({{u"S1000"_qs, 0, u"general"_qs}});
    native = -1;
    ErrorText(general, &native);
    EXPECT_EQ(native, 8);

    ScriptedDiagnostics generalWithCode({{u"S1000"_qs, 42, u"general"_qs}});
    ErrorText(generalWithCode, &native);
    EXPECT_EQ(native, 42) << "a driver's own code is kept";
}

TEST(Diagnostics, CursorTypeChangeNamesTheActualType)
{
    ScriptedDiagnostics object({{u"01S02"_qs, 0, u"Cursor type changed"_qs}});
    object.cursorType = SQL_CURSOR_STATIC;
    EXPECT_EQ(ErrorText(object), u"01S02 Cursor type changed(to SQL_CURSOR_STATIC)"_qs);

    ScriptedDiagnostics unreadable({{u"01S02"_qs, 0, u"Cursor type changed"_qs}});
    EXPECT_EQ(ErrorText(unreadable), u"01S02 Cursor type changed"_qs);
}

TEST(Diagnostics, EmptyOrUnreadableDiagnostics)
{
    ScriptedDiagnostics empty({});
    QString text = u"stale"_qs;
    EXPECT_FALSE(empty.GetErrorText(text));
    EXPECT_TRUE(text.isEmpty()) << "no records empties the text";

    ScriptedDiagnostics invalid({{u""_qs, 0, u""_qs, SQL_INVALID_HANDLE}});
    text = u"kept"_qs;
    EXPECT_FALSE(invalid.GetErrorText(text));
    EXPECT_EQ(text, u"kept"_qs);
}

TEST(Diagnostics, ReturnCodesBecomeStatusCodes)
{
    CODBCObject object;
    struct Case
    {
        SQLRETURN rc;
        bool ok;
        int status;
    };
    const Case cases[] = {{SQL_SUCCESS, true, StatusOk},
                          {SQL_SUCCESS_WITH_INFO, true, StatusInfo},
                          {SQL_STILL_EXECUTING, false, StatusStillExecuting},
                          {SQL_ERROR, false, StatusError},
                          {SQL_NEED_DATA, false, StatusError},
                          {SQL_NO_DATA, false, StatusNoData},
                          {SQL_INVALID_HANDLE, false, StatusInvalidHandle}};
    for (const Case& c : cases) {
        object.SetStatus(-99);
        EXPECT_EQ(object.CheckReturn(c.rc), c.ok) << c.rc;
        EXPECT_EQ(object.GetStatus(), c.status) << c.rc;
    }
    object.SetStatus(StatusInfo);
    EXPECT_FALSE(object.CheckReturn(12345));
    EXPECT_EQ(object.GetStatus(), StatusInfo) << "an unknown code leaves the status alone";
}

TEST(Diagnostics, ThePasswordInUseNeverReachesTheText)
{
    ScriptedDiagnostics object(
        {{u"08001"_qs, 0, u"[dm]Cannot connect with DSN=Sales;UID=bob;PWD=Op3n Sesame"_qs},
         {u"28000"_qs, 1045, u"[drv]Password Op3n Sesame rejected"_qs}});
    object.SetPassword(u"Op3n Sesame"_qs);
    const QString text = ErrorText(object);
    EXPECT_EQ(text, u"08001 [dm]Cannot connect with DSN=Sales;UID=bob;PWD=****\r\n"
                    u"28000 [drv]Password **** rejected"_qs)
        << text.toStdString();

    ScriptedDiagnostics stripped({{u"28000"_qs, 1, u"[drv]PWD=Op3n Sesame"_qs}});
    stripped.SetPassword(u"Op3n Sesame"_qs);
    EXPECT_EQ(ErrorText(stripped, nullptr, true), u"PWD=****"_qs);
}
