#include "platform/gui/Resources.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"

#include <QResource>

namespace {

QString TypeFolder(int type) {
    return type == RT_RCDATA ? QStringLiteral("RCDATA") : QString::number(type);
}

} // namespace

// The resources are compiled in under ":/<type>/<NAME IN UPPER CASE>".
TResourceStream::TResourceStream(const QString& name, int type) {
    const QResource resource(QStringLiteral(":/") + TypeFolder(type) + u'/' + UpperCase(name));
    if (!resource.isValid() || resource.data() == nullptr)
        throw EResNotFound(Format(QStringLiteral("Resource %s not found"), {name}));
    if (resource.compressionAlgorithm() == QResource::NoCompression)
        buffer_.setData(QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()),
                                                resource.size()));
    else
        buffer_.setData(resource.uncompressedData());
    buffer_.open(QIODevice::ReadOnly);
}
