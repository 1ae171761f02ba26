#include "platform/rtl/CodePage.h"

#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Unicode of the bytes 0x80 to 0xFF; the five bytes the code page leaves undefined map to the
// C1 control of the same value, as Windows does.
constexpr std::array<char16_t, 128> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

} // namespace

QString AnsiToUnicode(QByteArrayView ansi) {
    QString text(ansi.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const char* in = ansi.data();
    const qsizetype n = ansi.size();
    qsizetype i = 0;
#if defined(__SSE2__)
    // Scripts are nearly all ASCII: widen 16 bytes at a time until a byte needs the table.
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        if (_mm_movemask_epi8(v) != 0) {
            for (int k = 0; k < 16; ++k) {
                const auto b = quint8(in[i + k]);
                out[i + k] = b < 0x80 ? char16_t(b) : kHigh[b - 0x80];
            }
            continue;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(v, zero));
    }
#endif
    for (; i < n; ++i) {
        const auto b = quint8(in[i]);
        out[i] = b < 0x80 ? char16_t(b) : kHigh[b - 0x80];
    }
    return text;
}

AnsiString UnicodeToAnsi(QStringView text) {
    AnsiString ansi(text.size(), Qt::Uninitialized);
    char* out = ansi.data();
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        char b = '?';
        if (c < 0x80) {
            b = char(c);
        } else {
            for (std::size_t i = 0; i < kHigh.size(); ++i)
                if (kHigh[i] == c) {
                    b = char(0x80 + i);
                    break;
                }
        }
        *out++ = b;
    }
    return ansi;
}
