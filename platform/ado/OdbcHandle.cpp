#include "platform/ado/OdbcHandle.h"

#include "platform/ado/OdbcDiagnostics.h"
#include "platform/rtl/Exceptions.h"

TOdbcHandle TOdbcHandle::Environment() {
    SQLHANDLE handle = SQL_NULL_HANDLE;
    // A failed environment allocation leaves no handle to read diagnostics from.
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle)))
        throw EOleException(QStringLiteral("The ODBC driver manager could not allocate an "
                                           "environment"),
                            0, QStringLiteral("ODBC"), QString(), 0, QStringLiteral("HY001"));
    TOdbcHandle environment(SQL_HANDLE_ENV, handle);
    OdbcCheck(SQLSetEnvAttr(handle, SQL_ATTR_ODBC_VERSION,
                            reinterpret_cast<SQLPOINTER>(SQLULEN{SQL_OV_ODBC3}), 0),
              environment, QStringLiteral("ODBC"));
    return environment;
}

TOdbcHandle::TOdbcHandle(SQLSMALLINT type, const TOdbcHandle& parent)
    : type_(type), handle_(SQL_NULL_HANDLE) {
    OdbcCheck(SQLAllocHandle(type, parent.handle_, &handle_), parent, QStringLiteral("ODBC"));
}

TOdbcHandle::~TOdbcHandle() {
    if (handle_ != SQL_NULL_HANDLE)
        SQLFreeHandle(type_, handle_);
}

TOdbcHandle::TOdbcHandle(TOdbcHandle&& other) noexcept
    : type_(other.type_), handle_(other.handle_) {
    other.handle_ = SQL_NULL_HANDLE;
}
