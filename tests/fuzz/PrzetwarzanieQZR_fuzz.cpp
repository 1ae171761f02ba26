// An update script from any bytes, loaded as the program loads its resources and run against a
// scripted server. The list holds the text's lines as its line ends cut them; the statements
// that reach the server are the script's batches, re-joined from its lines minus the "GO" lines,
// with the first encryption marker replaced and the batches that need a newer server left out;
// the progress counts every batch; the run commits, or rolls back with the failure its batch
// calls for.

#include "engine/PrzetwarzanieQZR.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/support/FakeServer.h"

#include <QBuffer>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

const QString kVersion = QStringLiteral("24.2.2.0");
const QString kServerVersionQuery = QStringLiteral("SELECT dbo.fn_WERSJA_MS_SQL()");
constexpr int kServerVersion = 2005;
const QByteArray kEncryptionMarker = "-- 'C810A5C6-2053-412E-8618-652E1868305B'";
const QByteArray kMinimumServerMarker = "-- $MIN_SQL_";

// The lines up to the first NUL, cut at CR LF, a lone CR and a lone LF.
std::vector<QByteArray> LinesOf(QByteArrayView text) {
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0)
        text = text.first(nul);
    std::vector<QByteArray> lines;
    QByteArray line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        lines.push_back(line);
        line.clear();
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    if (!line.isEmpty())
        lines.push_back(line);
    return lines;
}

QByteArray Trimmed(const QByteArray& line) {
    qsizetype from = 0;
    qsizetype to = line.size();
    while (from < to && quint8(line[from]) <= ' ')
        ++from;
    while (to > from && quint8(line[to - 1]) <= ' ')
        --to;
    return line.mid(from, to - from);
}

bool IsSeparator(const QByteArray& line) {
    return Trimmed(line).toUpper() == "GO";
}

// What one run must do: the log of the server and the progress captions, and the failure that
// ends it, if any.
struct TExpectedRun {
    bool ran = false;
    QStringList log;
    std::vector<QString> captions;
    QString failure; // the class and message of the failure raised, empty for none
};

TExpectedRun ExpectedRun(const std::vector<QByteArray>& lines, bool encrypt) {
    TExpectedRun run;
    run.log << QStringLiteral("open") << QStringLiteral("exec ") + kServerVersionQuery;
    bool blank = true;
    for (const QByteArray& line : lines)
        blank = blank && Trimmed(line).isEmpty();
    if (blank)
        return run;
    run.ran = true;

    // The batches: each closed by a separator line, and the text after the last one when it is
    // not blank.
    std::vector<QByteArray> batches;
    QByteArray batch;
    bool textAfterLast = false;
    for (const QByteArray& line : lines) {
        if (IsSeparator(line)) {
            batches.push_back(batch);
            batch.clear();
            textAfterLast = false;
        } else {
            batch += "\r\n" + line;
            textAfterLast = textAfterLast || !Trimmed(line).isEmpty();
        }
    }
    if (textAfterLast)
        batches.push_back(batch);

    const QString progress =
        QStringLiteral("2024.2.02 - Aktualizacja bazy danych: wykonywanie operacji %1 z %2...");
    run.captions.push_back(
        QStringLiteral("Aktualizacja bazy danych: przygotowanie aktualizacji..."));
    run.log << QStringLiteral("begin");
    for (std::size_t i = 0; i < batches.size(); ++i) {
        QByteArray statement = batches[i];
        run.captions.push_back(progress.arg(i + 1).arg(batches.size()));
        if (encrypt) {
            if (const qsizetype at = statement.toLower().indexOf(kEncryptionMarker.toLower());
                at >= 0)
                statement.replace(at, kEncryptionMarker.size(), "WITH ENCRYPTION");
        }
        if (const qsizetype at = statement.indexOf(kMinimumServerMarker); at >= 0) {
            const QString year = AnsiToUnicode(statement.mid(at + kMinimumServerMarker.size(), 4));
            const std::optional<int> minimum = TryStrToInt(year);
            if (!minimum) {
                run.failure =
                    QStringLiteral("EConvertError: '%1' is not a valid integer value").arg(year);
                break;
            }
            if (*minimum > kServerVersion)
                continue;
        }
        if (statement.isEmpty()) {
            run.failure = QStringLiteral("EDatabaseError: Missing SQL property");
            break;
        }
        run.log << QStringLiteral("exec[T] ") + AnsiToUnicode(statement);
    }
    run.log << (run.failure.isEmpty() ? QStringLiteral("commit") : QStringLiteral("rollback"));
    return run;
}

class TRecordedStatus : public TStatusControl {
public:
    void SetCaption(const QString& caption) override { captions.push_back(caption); }
    void SetColor(TColor) override { colored = true; }
    bool Visible() const override { return true; }
    void Repaint() override {}

    std::vector<QString> captions;
    bool colored = false;
};

void Run(const TStringList& script, const std::vector<QByteArray>& lines, bool encrypt) {
    const std::shared_ptr<FakeServer> server = FakeServer::Create();
    server->OnText(kServerVersionQuery, FakeServer::Value(kServerVersion));
    TADOConnection conn;
    conn.SetProvider(server);
    conn.Open();
    TRecordedStatus status;

    const TExpectedRun expected = ExpectedRun(lines, encrypt);
    QString failure;
    bool ran = false;
    try {
        ran = TPrzetwarzanieQZR::WykonajSkrypt(conn, script, encrypt, status, kVersion);
    } catch (const EConvertError& e) {
        failure = QStringLiteral("EConvertError: ") + e.Message();
    } catch (const EDatabaseError& e) {
        failure = QStringLiteral("EDatabaseError: ") + e.Message();
    }
    const QString how = encrypt ? QStringLiteral("encrypted") : QStringLiteral("not encrypted");
    Expect(failure == expected.failure, "the failure its batch calls for",
           how + QStringLiteral(": [") + failure + QStringLiteral("] instead of [") +
               expected.failure + u']');
    Expect(!failure.isEmpty() || ran == expected.ran, "false for a blank script only", how);
    Expect(server->Log() == expected.log, "the batches of the script reach the server",
           how + QStringLiteral("\ngot:\n") + server->Log().join(u'\n') +
               QStringLiteral("\nexpected:\n") + expected.log.join(u'\n'));
    Expect(status.captions == expected.captions, "the progress counts every batch",
           how + QStringLiteral(": ") +
               QStringList(status.captions.begin(), status.captions.end())
                   .join(QStringLiteral(" | ")));
    Expect(!status.colored, "only a server's error paints the status", how);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer resource(&text);
    resource.open(QIODevice::ReadOnly);
    TStringList script;
    script.LoadFromStream(resource);

    const std::vector<QByteArray> lines = LinesOf(text);
    Expect(std::size_t(script.Count()) == lines.size(), "as many lines as line ends cut",
           QStringLiteral("%1 instead of %2").arg(script.Count()).arg(lines.size()));
    for (int i = 0; i < script.Count(); ++i)
        Expect(script[i] == lines[std::size_t(i)], "each line as its line ends cut it",
               QStringLiteral("line %1").arg(i + 1));

    Run(script, lines, true);
    Run(script, lines, false);
    return 0;
}
