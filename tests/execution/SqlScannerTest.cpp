#include "execution/CSqlScanner.h"

#include "QtPrinters.h"

#include <QList>
#include <QString>

#include <gtest/gtest.h>

TEST(SqlScannerTest, BlankIsOnlyWhiteSpaceAndComments)
{
    for (const QString& blank : {u""_qs, u" \n\t\r"_qs, u"-- a note ; x"_qs,
                                 u"\n/* block */ -- line\n  "_qs, u"/* unended"_qs}) {
        EXPECT_TRUE(CSqlScanner::IsBlank(blank)) << blank.toStdString();
    }
    // MariaDB runs what stands in /*! … */; a lone quote is a statement, if a broken one.
    for (const QString& statement :
         {u"SELECT 1"_qs, u"-- note\nSELECT 1"_qs, u"/*!40101 SET NAMES utf8 */"_qs,
          u"/*M!100100 SET x=1 */"_qs, u"''"_qs, u"-- a\n;"_qs}) {
        EXPECT_FALSE(CSqlScanner::IsBlank(statement)) << statement.toStdString();
    }
}

TEST(SqlScannerTest, StretchesEndWhereTheirQuoteCloses)
{
    const QString text = u"a 'x''y' \"q\\\"r\" [s]]t] $t$ $ $t$ -- c\nz"_qs;
    CSqlScanner scanner(text);
    QList<QStringView> quiet;
    for (qsizetype pos = 0;;) {
        const CSqlScanner::Stretch stretch = scanner.QuietAfter(pos);
        if (stretch.start >= text.size()) {
            break;
        }
        quiet.append(QStringView(text).sliced(stretch.start, stretch.end - stretch.start));
        pos = stretch.end;
    }
    EXPECT_EQ(quiet,
              (QList<QStringView>{u"'x''y'", u"\"q\\\"r\"", u"[s]]t]", u"$t$ $ $t$", u"-- c"}));
}

TEST(SqlScannerTest, OnlyCommentsHoldingASemicolonAreBlanked)
{
    // SQLite's driver refuses "SELECT 1 -- a ; b" as two statements.
    EXPECT_EQ(CSqlScanner::BlankSemicolonComments(
                  u"SELECT 1 -- a ; b\r\n, 'c ; d' /* e;\nf */ -- g\n/*! h ; */"_qs),
              u"SELECT 1         \r\n, 'c ; d'      \n     -- g\n/*! h ; */"_qs);
}
