#pragma once

#include <QVariant>

// A value of any of the kinds fields hold, or Null (an invalid or null QVariant).
using Variant = QVariant;

inline Variant Null()
{
    return Variant();
}
