#pragma once

#include <QString>

// Version numbers: four dot-separated decimal parts such as "24.2.2.0", compared by value.

// Cuts the text into its four parts. False, with all four set to 0, when the text is not a
// version number; a part above 2147483647 raises EConvertError
// "'%s' is not a valid integer value".
bool ParsujWersje(const QString& Wersja, int& Czesc1, int& Czesc2, int& Czesc3, int& Czesc4);

// The short display form "%d.%d.%.2d": the first part plus 2000, the second and the third
// ("24.2.2.0" shows as "2024.2.02"). An invalid text shows as "2000.0.00".
QString WersjaDoWyswietlenia(const QString& Wersja);

// Whether X is at or above Y, part by part. Raises EConvertError "Niepoprawna wersja: "%s"."
// naming the first of the two texts that is not a version number.
bool WersjaWiekszaLubRowna(const QString& X, const QString& Y);
