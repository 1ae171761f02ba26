#include "platform/rtl/Format.h"

#include "platform/rtl/Exceptions.h"

namespace {

[[noreturn]] void InvalidFormat(const QString& format) {
    throw EConvertError(
        QStringLiteral("Format '%1' invalid or incompatible with argument").arg(format));
}

int ReadNumber(const QString& format, qsizetype& i) {
    int n = 0;
    while (i < format.size() && format[i].isDigit() && format[i].unicode() < 128) {
        n = n * 10 + (format[i].unicode() - '0');
        if (n > 1'000'000)
            InvalidFormat(format);
        ++i;
    }
    return n;
}

} // namespace

QString Format(const QString& format, std::initializer_list<TVarRec> args) {
    QString out;
    out.reserve(format.size() + 16 * qsizetype(args.size()));
    auto arg = args.begin();
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != u'%') {
            out += c;
            continue;
        }
        if (++i >= format.size())
            InvalidFormat(format);
        if (format[i] == u'%') {
            out += u'%';
            continue;
        }
        const bool left = format[i] == u'-';
        if (left)
            ++i;
        const int width = ReadNumber(format, i);
        int precision = -1;
        if (i < format.size() && format[i] == u'.') {
            ++i;
            precision = ReadNumber(format, i);
        }
        if (i >= format.size() || arg == args.end())
            InvalidFormat(format);
        QString piece;
        switch (format[i].unicode()) {
        case 'd':
        case 'D': {
            if (!arg->IsInteger())
                InvalidFormat(format);
            const qint64 v = arg->Integer();
            QString digits = QString::number(v < 0 ? -(v + 1) + 1ull : quint64(v));
            if (precision > digits.size())
                digits.prepend(QString(precision - digits.size(), u'0'));
            piece = v < 0 ? u'-' + digits : digits;
            break;
        }
        case 's':
        case 'S':
            if (arg->IsInteger())
                InvalidFormat(format);
            piece = precision >= 0 ? arg->Text().left(precision) : arg->Text();
            break;
        default:
            InvalidFormat(format);
        }
        ++arg;
        if (piece.size() < width) {
            const QString pad(width - piece.size(), u' ');
            piece = left ? piece + pad : pad + piece;
        }
        out += piece;
    }
    return out;
}
