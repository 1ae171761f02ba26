#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// The exception classes of the run-time and class libraries. Every failure of the system is one
// of these, carrying a finished (already formatted) message.

class Exception : public std::exception {
public:
    explicit Exception(QString message);

    const QString& Message() const noexcept { return message_; }
    // The message as UTF-8, for std::exception's callers.
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// A text that does not convert to the wanted type (a malformed number or version).
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A failure reported by the data-access layer itself, not by the server.
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

// A statement or connection rejected by the database: the server's (or driver's) message, its
// native error number, the component that raised it, and the SQLSTATE of ODBC.
class EOleException : public Exception {
public:
    EOleException(QString message, int errorCode, QString source, QString helpFile, int helpContext,
                  QString sqlState = {});

    int ErrorCode() const noexcept { return errorCode_; }
    const QString& Source() const noexcept { return source_; }
    const QString& HelpFile() const noexcept { return helpFile_; }
    int HelpContext() const noexcept { return helpContext_; }
    const QString& SqlState() const noexcept { return sqlState_; }

private:
    int errorCode_;
    QString source_;
    QString helpFile_;
    int helpContext_;
    QString sqlState_;
};

// A failed assertion: the message reads "%s (%s, line %d)".
class EAssertionFailed : public Exception {
public:
    EAssertionFailed(const QString& message, QString unitName, int lineNumber);

    const QString& UnitName() const noexcept { return unitName_; }
    int LineNumber() const noexcept { return lineNumber_; }

private:
    QString unitName_;
    int lineNumber_;
};

// A resource that the program's module does not hold: "Resource %s not found".
class EResNotFound : public Exception {
public:
    using Exception::Exception;
};

// A variant value that cannot be turned into the wanted type (a NULL read as a number).
class EVariantTypeCastError : public Exception {
public:
    using Exception::Exception;
};

// An object that is not of the class a cast names: "Invalid class typecast".
class EInvalidCast : public Exception {
public:
    using Exception::Exception;
};

// Memory the program cannot have.
class EOutOfMemory : public Exception {
public:
    using Exception::Exception;
};

// Raises EAssertionFailed("Assertion failure", unitName, lineNumber) unless condition holds.
void Assert(bool condition, const QString& unitName, int lineNumber);
