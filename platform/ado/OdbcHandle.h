#pragma once

#include <sql.h>
#include <sqlext.h>

// An ODBC handle (environment, connection or statement) that frees itself. A connection handle
// must be disconnected by its owner before it goes; freeing never throws.
class TOdbcHandle {
public:
    // An environment set to ODBC 3 behaviour. Raises EOleException when the driver manager
    // refuses it.
    static TOdbcHandle Environment();

    // A connection or statement handle under `parent`. Raises EOleException with the parent's
    // diagnostics when the allocation fails.
    TOdbcHandle(SQLSMALLINT type, const TOdbcHandle& parent);
    ~TOdbcHandle();
    TOdbcHandle(const TOdbcHandle&) = delete;
    TOdbcHandle& operator=(const TOdbcHandle&) = delete;
    TOdbcHandle(TOdbcHandle&& other) noexcept;
    TOdbcHandle& operator=(TOdbcHandle&&) = delete;

    SQLSMALLINT Type() const { return type_; }
    SQLHANDLE Handle() const { return handle_; }

private:
    TOdbcHandle(SQLSMALLINT type, SQLHANDLE handle) : type_(type), handle_(handle) {}

    SQLSMALLINT type_;
    SQLHANDLE handle_;
};
