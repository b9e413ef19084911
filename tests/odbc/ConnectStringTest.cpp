#include "ConnectString.h"
#include "CODBCObject.h"

#include <gtest/gtest.h>

using odbc::ConnectValue;
using odbc::QuoteConnectValue;

TEST(ConnectString, OrdinaryValuesAreWrittenAsTheyAre)
{
    CODBCObject object;
    EXPECT_EQ(object.BuildConnectString(u"Sales"_qs, u"anna"_qs, u"s3cret!"_qs),
              u"DSN=Sales;UID=anna;PWD=s3cret!"_qs);
    EXPECT_EQ(object.BuildConnectString(u"My Data"_qs, QString(), QString()),
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

TEST(ConnectString, UserInputCannotAddAttributes)
{
    CODBCObject object;
    const QString hostile = u"x;DSN=Other;DRIVER={evil}"_qs;
    const QString text = object.BuildConnectString(u"Sales"_qs, hostile, hostile);
    EXPECT_EQ(ConnectValue(text, u"DSN"_qs), u"Sales"_qs);
    EXPECT_EQ(ConnectValue(text, u"UID"_qs), hostile);
    EXPECT_EQ(ConnectValue(text, u"PWD"_qs), hostile);
    EXPECT_TRUE(ConnectValue(text, u"DRIVER"_qs).isEmpty());

    const QString braces = u"}a{b}};"_qs;
    EXPECT_EQ(ConnectValue(object.BuildConnectString(braces, braces, braces), u"PWD"_qs), braces);
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
