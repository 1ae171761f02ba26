#pragma once

#include <QBuffer>
#include <QString>

// Resource types of the program's module.
constexpr int RT_RCDATA = 10;

// A read-only stream over one of the program's own resources, found by type and by name without
// regard to letter case. A name that no resource has raises EResNotFound
// "Resource %s not found".
class TResourceStream {
public:
    TResourceStream(const QString& name, int type);

    QIODevice& Stream() { return buffer_; }
    qint64 Size() const { return buffer_.size(); }

private:
    QBuffer buffer_;
};
