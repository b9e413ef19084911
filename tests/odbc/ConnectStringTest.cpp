#include "odbc/ConnectString.h"
#include "odbc/CODBCObject.h"
#include "odbc/DriverTraits.h"

#include <gtest/gtest.h>

using odbc::ConnectValue;
using odbc::QuoteConnectValue;

TEST(ConnectString, OrdinaryValuesAreWrittenAsTheyAre)
{
    using odbc::DriverTraits;
    CODBCObject object;
    EXPECT_EQ(object.BuildConnectString(DriverTraits::ForDataSource(u"Sales"_qs), u"Sales"_qs,
                                        u"anna"_qs, u"s3cret!"_qs),
              u"DSN=Sales;UID=anna;PWD=s3cret!"_qs);
    EXPECT_EQ(object.BuildConnectString(DriverTraits::ForDataSource(u"My Data"_qs), u"My Data"_qs,
                                        QString(), QString()),
              u"DSN=My Data;UID=;PWD="_qs);
    EXPECT_EQ(QuoteConnectValue(u"käse"_qs), u"käse"_qs);
}

TEST(ConnectString, DangerousValuesAreBraced)
{
    EXPECT_EQ(QuoteConnectValue(u"a;b"_qs), u"{a;b}"_qs);
    EXPECT_EQ(QuoteConnectValue(u"a=b"_qs), u"{a=b}"_qs);
    EXPECT_EQ(QuoteConnectValue(u"{x"_qs), u"{{x}"_qs);
    EXPECT_EQ(QuoteConnectValue(u"x}"_qs), u"{x}}}"_qs);
    EXPECT_EQ(QuoteConnectValue(u" lead"_qs), u"{ lead}"_qs);
    EXPECT_EQ(QuoteConnectValue(u"trail "_qs), u"{trail }"_qs);
}

TEST(ConnectString, ValuesAreBracedOnlyWhereTheDriverReadsBraces)
{
    using odbc::DriverBraces;
    const auto ForLibrary = [](const QString& library) {
        return odbc::DriverTraits::ForConfiguration({{}, library, {}}).braces;
    };
    const QString hostile = u"x;DSN=Other;DRIVER={evil}"_qs;
    const DriverBraces maria = ForLibrary(u"/usr/lib/odbc/libmaodbc.so"_qs);
    const QString text = *maria.ConnectString(u"DSN"_qs, hostile, hostile, hostile);
    EXPECT_EQ(ConnectValue(text, u"DSN"_qs), hostile);
    EXPECT_EQ(ConnectValue(text, u"UID"_qs), hostile);
    EXPECT_EQ(ConnectValue(text, u"PWD"_qs), hostile);
    EXPECT_TRUE(ConnectValue(text, u"DRIVER"_qs).isEmpty());
    const QString braces = u"}a{b}};"_qs;
    EXPECT_EQ(ConnectValue(*maria.ConnectString(u"DSN"_qs, braces, braces, braces), u"PWD"_qs),
              braces);

    // PostgreSQL's driver reads only a braced password.
    const DriverBraces postgres = ForLibrary(u"/usr/lib/odbc/psqlodbcw.so"_qs);
    EXPECT_EQ(
        ConnectValue(*postgres.ConnectString(u"DSN"_qs, u"Pg"_qs, u"u"_qs, hostile), u"PWD"_qs),
        hostile);
    EXPECT_FALSE(postgres.ConnectString(u"DSN"_qs, u"Pg"_qs, hostile, u"p"_qs));
    EXPECT_FALSE(postgres.ConnectString(u"DSN"_qs, hostile, u"u"_qs, u"p"_qs));

    // SQLite's and any unknown driver's read none: only harmless values go in a string.
    const DriverBraces none = ForLibrary(u"/opt/x/libx.so"_qs);
    EXPECT_EQ(none.ConnectString(u"DSN"_qs, u"Lite"_qs, u"me"_qs, u"pw"_qs),
              u"DSN=Lite;UID=me;PWD=pw"_qs);
    EXPECT_FALSE(none.ConnectString(u"DSN"_qs, u"Lite"_qs, u"me"_qs, u" pw"_qs));
}

TEST(ConnectString, ValuesAreFoundOnlyAtAttributeStarts)
{
    EXPECT_EQ(ConnectValue(u"DSN=a;UID=bob;PWD=x"_qs, u"UID"_qs), u"bob"_qs);
    EXPECT_EQ(ConnectValue(u"DSN=a;UID=bob"_qs, u"UID"_qs), u"bob"_qs);
    EXPECT_EQ(ConnectValue(u"UID=;PWD=1"_qs, u"UID"_qs), QString());
    // "XUID=" is another key; its value must not be taken for the user.
    EXPECT_EQ(ConnectValue(u"XUID=mallory;UID=bob"_qs, u"UID"_qs), u"bob"_qs);
    EXPECT_EQ(ConnectValue(u"DSN=a"_qs, u"UID"_qs), QString());
    // The key is matched as written.
    EXPECT_EQ(ConnectValue(u"uid=bob"_qs, u"UID"_qs), QString());
}

TEST(ConnectString, MaskingHidesPasswordAttributesInEveryForm)
{
    using odbc::MaskPassword;
    // Drivers quote the connect string back in any key case and with blanks around "=".
    EXPECT_EQ(MaskPassword(u"connect failed: DSN=a;UID=bob;PWD=s3cret;PORT=1"_qs, {}),
              u"connect failed: DSN=a;UID=bob;PWD=****;PORT=1"_qs);
    EXPECT_EQ(MaskPassword(u"password = s3cret, pwd=other"_qs, {}), u"password = ****"_qs)
        << "an unbraced value runs to the next semicolon";
    EXPECT_EQ(MaskPassword(u"PWD={a;b}}c};UID=x"_qs, {}), u"PWD=****;UID=x"_qs);
    EXPECT_EQ(MaskPassword(u"PWD={unterminated;UID=x"_qs, {}), u"PWD=****"_qs);
    EXPECT_EQ(MaskPassword(u"PWD=;UID=x"_qs, {}), u"PWD=****;UID=x"_qs);
    // A value ends with its line; the next record stays readable.
    EXPECT_EQ(MaskPassword(u"PWD=a b\r\nnext record"_qs, {}), u"PWD=****\r\nnext record"_qs);
    EXPECT_EQ(MaskPassword(u"PWD={a\nnext"_qs, {}), u"PWD=****\nnext"_qs);
    // Other keys that merely end in the same letters are left alone.
    EXPECT_EQ(MaskPassword(u"OLDPWD=x;MYPASSWORD=y"_qs, {}), u"OLDPWD=x;MYPASSWORD=y"_qs);
}

TEST(ConnectString, MaskingHidesThePasswordWhereverItStands)
{
    using odbc::MaskPassword;
    EXPECT_EQ(MaskPassword(u"user 'anna' with s3cret! and s3cret!s3cret!"_qs, u"s3cret!"_qs),
              u"user 'anna' with **** and ********"_qs);
    EXPECT_EQ(MaskPassword(u"no secret here"_qs, u"s3cret!"_qs), u"no secret here"_qs);
    // The braced form of a password with braces is caught by its attribute.
    const QString braces = u"a}b"_qs;
    const QString connectString = u"DSN=Sales;UID=bob;PWD="_qs + QuoteConnectValue(braces);
    ASSERT_TRUE(connectString.contains(u"a}}b"_qs));
    EXPECT_FALSE(MaskPassword(connectString, braces).contains(u"a}}b"_qs));
    // A short password is masked where it stands alone only, so that "pw" keeps "pwd" readable.
    EXPECT_EQ(MaskPassword(u"pw: wrong pw for pwd"_qs, u"pw"_qs), u"****: wrong **** for pwd"_qs);
    EXPECT_EQ(MaskPassword(u"x"_qs, u"x"_qs), u"****"_qs);
}
