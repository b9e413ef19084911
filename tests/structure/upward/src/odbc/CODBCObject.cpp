#include <sql.h>

void Forget(SQLHSTMT statement)
{
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
}
