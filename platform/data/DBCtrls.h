#pragma once

#include "platform/gui/Controls.h"

class TField;

// The right-to-left rule of the data-aware controls: whether a control with this reading order
// mirrors the alignment of the field it shows. Only where the system has Middle-East support on
// (SysLocale.MiddleEast), for bdRightToLeft, and for no field or a field that is neither a
// number nor a date or time: those keep their alignment.
bool DBUseRightToLeftAlignment(TBiDiMode BiDiMode, const TField* Field);
