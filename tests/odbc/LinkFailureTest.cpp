// Which diagnostics drop a kept connection: those that say the link itself is
// gone, and nothing that a statement alone did wrong.

#include "odbc/LinkFailure.h"

#include <gtest/gtest.h>

TEST(LinkFailure, LostLinksAsTheDriversReportThem)
{
    // psqlODBC after the backend went away, the server's farewell, a closed
    // handle, a link lost inside a transaction; MariaDB's client errors for a
    // vanished server under the general state.
    for (const odbc::DiagRecord& record :
         {odbc::DiagRecord{u"08S01"_qs, 0}, odbc::DiagRecord{u"08S01"_qs, 2013},
          odbc::DiagRecord{u"57P01"_qs, 7}, odbc::DiagRecord{u"57P02"_qs, 7},
          odbc::DiagRecord{u"08003"_qs, 0}, odbc::DiagRecord{u"08007"_qs, 0},
          odbc::DiagRecord{u"HY000"_qs, 2006}, odbc::DiagRecord{u"HY000"_qs, 2013},
          odbc::DiagRecord{u"HY000"_qs, 2055}}) {
        EXPECT_TRUE(odbc::IsLinkFailure(record))
            << record.state.toStdString() << " " << record.nativeError;
    }
}

TEST(LinkFailure, StatementErrorsAndRefusedConnectsKeepTheConnection)
{
    // Syntax, missing table, constraint, time-out, cancel, a refused or
    // rejected connect (nothing is kept then), a general error with another
    // code, and PostgreSQL's "cannot connect now" that the server sends only at login.
    for (const odbc::DiagRecord& record :
         {odbc::DiagRecord{u"42000"_qs, 1064}, odbc::DiagRecord{u"42S02"_qs, 1146},
          odbc::DiagRecord{u"42P01"_qs, 7}, odbc::DiagRecord{u"23000"_qs, 1062},
          odbc::DiagRecord{u"HYT00"_qs, 0}, odbc::DiagRecord{u"HY008"_qs, 0},
          odbc::DiagRecord{u"08001"_qs, 2002}, odbc::DiagRecord{u"08004"_qs, 0},
          odbc::DiagRecord{u"28000"_qs, 1045}, odbc::DiagRecord{u"HY000"_qs, 1205},
          odbc::DiagRecord{u"HY000"_qs, 0}, odbc::DiagRecord{u"57P03"_qs, 7},
          odbc::DiagRecord{u"01000"_qs, 0}}) {
        EXPECT_FALSE(odbc::IsLinkFailure(record))
            << record.state.toStdString() << " " << record.nativeError;
    }
}
