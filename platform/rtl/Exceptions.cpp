#include "platform/rtl/Exceptions.h"

#include "platform/rtl/Format.h"

#include <utility>

Exception::Exception(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

EOleException::EOleException(QString message, int errorCode, QString source, QString helpFile,
                             int helpContext, QString sqlState)
    : Exception(std::move(message)), errorCode_(errorCode), source_(std::move(source)),
      helpFile_(std::move(helpFile)), helpContext_(helpContext), sqlState_(std::move(sqlState)) {}

EAssertionFailed::EAssertionFailed(const QString& message, QString unitName, int lineNumber)
    : Exception(Format(QStringLiteral("%s (%s, line %d)"), {message, unitName, lineNumber})),
      unitName_(std::move(unitName)), lineNumber_(lineNumber) {}

void Assert(bool condition, const QString& unitName, int lineNumber) {
    if (!condition)
        throw EAssertionFailed(QStringLiteral("Assertion failure"), unitName, lineNumber);
}
