#include "platform/gui/Resources.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QResource>
#include <QStringList>

#include <iterator>
#include <set>
#include <vector>

namespace {

// The carried versions, in list order; each script must follow the one before it.
const char* const kVersions[] = {
    "16.2.0.2", "16.3.0.3", "16.4.0.2", "17.1.0.10", "17.2.0.5", "18.1.0.6",
    "19.1.0.1", "20.1.1.0", "20.2.8.0", "21.1.6.0",  "21.2.5.0", "22.1.4.0",
    "22.2.6.0", "23.1.3.0", "23.2.3.0", "23.3.4.0",  "24.1.4.0", "24.2.2.0",
};
constexpr int kVersionCount = int(std::size(kVersions));
const char kVersionBeforeFirst[] = "16.1.0.10";

const QString kEncryptionMarker = QStringLiteral("-- 'C810A5C6-2053-412E-8618-652E1868305B'");
const QString kMinSqlMarker = QStringLiteral("-- $MIN_SQL_");

QString ResourceName(const QString& version) {
    const QStringList parts = version.split(u'.');
    return QString::asprintf("QEN_%d_%d_%d_%d", parts[0].toInt(), parts[1].toInt(),
                             parts[2].toInt(), parts[3].toInt());
}

// The runner's separator: "GO" once the bytes up to the blank are cut from both ends and ASCII
// letters are upper-cased.
bool IsSeparator(QByteArrayView line) {
    qsizetype b = 0;
    qsizetype e = line.size();
    while (b < e && quint8(line[b]) <= 0x20)
        ++b;
    while (e > b && quint8(line[e - 1]) <= 0x20)
        --e;
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    return e - b == 2 && upper(line[b]) == 'G' && upper(line[b + 1]) == 'O';
}

bool IsCode(const QString& line) {
    const QString t = line.trimmed();
    return !t.isEmpty() && !t.startsWith(QLatin1String("--"));
}

struct Batch {
    int separatorLine = 0; // 0-based script line of the separator that ends the batch
    std::vector<QString> lines;

    // The statements without comment lines, every run of white space made one blank.
    QString Code() const {
        QStringList code;
        for (const QString& l : lines)
            if (IsCode(l))
                code << l;
        return code.join(u' ').simplified();
    }
    int FirstCodeLine() const {
        for (int i = 0; i < int(lines.size()); ++i)
            if (IsCode(lines[std::size_t(i)]))
                return i;
        return -1;
    }
    int FindLine(int from, const QRegularExpression& re) const {
        for (int i = from; i < int(lines.size()); ++i)
            if (re.match(lines[std::size_t(i)]).hasMatch())
                return i;
        return -1;
    }
    bool HasLine(const QString& exact) const {
        for (const QString& l : lines)
            if (l == exact)
                return true;
        return false;
    }
};

const QRegularExpression kCreateRoutine(
    QStringLiteral(R"(^\s*CREATE\s+(PROC|PROCEDURE|FUNCTION|TRIGGER)\s+([\w.\[\]]+))"),
    QRegularExpression::CaseInsensitiveOption);
const QRegularExpression kAsLine(QStringLiteral(R"(^\s*AS\s*$)"),
                                 QRegularExpression::CaseInsensitiveOption);
const QRegularExpression kTriggerEventLine(QStringLiteral(R"(^\s*(FOR|AFTER|INSTEAD\s+OF)\b)"),
                                           QRegularExpression::CaseInsensitiveOption);

QString FirstBatch(const QString& version, const QString& previous) {
    return QStringLiteral(
               "DECLARE @WERSJA_BAZY T_KONFIG_QZ_WARTOSC "
               "DECLARE @WERSJA_SKRYPTU T_KONFIG_QZ_WARTOSC "
               "DECLARE @WERSJA_POPRZEDNIA T_KONFIG_QZ_WARTOSC "
               "DECLARE @KOMUNIKAT VARCHAR(255) "
               "SET @WERSJA_SKRYPTU = '%1' "
               "SET @WERSJA_POPRZEDNIA = '%2' "
               "SELECT @WERSJA_BAZY = LTRIM(RTRIM(wartosc)) FROM konfig_qz "
               "WHERE grupa = 'WERSJE' AND nazwa = 'ZURQZ_WERSJA' "
               "IF @WERSJA_BAZY IS NULL SET @WERSJA_BAZY = '0.0.0.0' "
               "IF @WERSJA_BAZY NOT IN (LTRIM(RTRIM(@WERSJA_SKRYPTU)), "
               "LTRIM(RTRIM(@WERSJA_POPRZEDNIA))) "
               "BEGIN "
               "SET @KOMUNIKAT = 'Wersja systemu: ' + @WERSJA_BAZY + CHAR(13) + CHAR(10) "
               "+ 'Aktualizacja jest przeznaczona dla wersji ' + @WERSJA_POPRZEDNIA "
               "RAISERROR('%s', 16, 1, @KOMUNIKAT) "
               "END")
        .arg(version, previous);
}

QString LastBatch(const QString& version) {
    return QStringLiteral("DECLARE @BLAD INT DECLARE @ILE INT "
                          "UPDATE konfig_qz SET wartosc = '%1' "
                          "WHERE grupa = 'WERSJE' AND nazwa = 'ZURQZ_WERSJA' "
                          "SELECT @BLAD = @@ERROR, @ILE = @@ROWCOUNT "
                          "IF @BLAD <> 0 OR @ILE <> 1 "
                          "RAISERROR('Nie udało się zapisać wersji systemu %1 "
                          "(błąd %d, zmienione wiersze: %d).', 16, 1, @BLAD, @ILE)")
        .arg(version);
}

// One carried script: its bytes by the upper-case resource name, its lines loaded through the
// lower-case name, and its batches as the runner cuts them.
class UpdateScript : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        version_ = QString::fromLatin1(kVersions[GetParam()]);
        previous_ =
            QString::fromLatin1(GetParam() == 0 ? kVersionBeforeFirst : kVersions[GetParam() - 1]);
        const QString name = ResourceName(version_);
        bytes_ = TResourceStream(name, RT_RCDATA).Stream().readAll();
        TResourceStream lowerCase(name.toLower(), RT_RCDATA);
        lines_.LoadFromStream(lowerCase.Stream());

        Batch batch;
        for (int i = 0; i < lines_.Count(); ++i) {
            if (IsSeparator(lines_[i])) {
                batch.separatorLine = i;
                batches_.push_back(std::move(batch));
                batch = Batch();
            } else {
                batch.lines.push_back(AnsiToUnicode(lines_[i]));
            }
        }
        trailing_ = std::move(batch.lines);
    }

    QString Where(const Batch& b) const {
        return version_ + QStringLiteral(", batch ending at line %1").arg(b.separatorLine + 1);
    }

    QString version_;
    QString previous_;
    AnsiString bytes_;
    TStringList lines_;
    std::vector<Batch> batches_;
    std::vector<QString> trailing_;
};

TEST_P(UpdateScript, IsWindows1250TextWithCrLfLineEnds) {
    ASSERT_FALSE(bytes_.isEmpty());
    EXPECT_FALSE(bytes_.startsWith("\xEF\xBB\xBF"));
    EXPECT_FALSE(bytes_.startsWith("\xFF\xFE") || bytes_.startsWith("\xFE\xFF"));

    int loneCr = 0;
    int loneLf = 0;
    int controls = 0; // NUL and other control bytes; only CR, LF and TAB may stand in a script
    for (qsizetype i = 0; i < bytes_.size(); ++i) {
        const char c = bytes_[i];
        if (c == '\r')
            loneCr += (i + 1 == bytes_.size() || bytes_[i + 1] != '\n') ? 1 : 0;
        else if (c == '\n')
            loneLf += (i == 0 || bytes_[i - 1] != '\r') ? 1 : 0;
        else if (quint8(c) < 0x20 && c != '\t')
            ++controls;
    }
    EXPECT_EQ(loneCr, 0);
    EXPECT_EQ(loneLf, 0);
    EXPECT_EQ(controls, 0);
    EXPECT_TRUE(bytes_.endsWith("\r\n"));

    // Non-ASCII bytes are Polish letters in Windows-1250; UTF-8 would decode to other letters.
    const QString polish = QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
    QString foreign;
    int letters = 0;
    for (const QChar c : AnsiToUnicode(bytes_)) {
        if (c.unicode() < 0x80)
            continue;
        if (polish.contains(c))
            ++letters;
        else if (!foreign.contains(c))
            foreign += c;
    }
    EXPECT_GT(letters, 0);
    EXPECT_EQ(foreign, QString());

    // The lower-case name finds the same script, split at every CR LF.
    EXPECT_EQ(lines_.Count(), bytes_.count("\r\n"));
    EXPECT_EQ(lines_.Text(), bytes_);
}

TEST_P(UpdateScript, EndsEveryBatchWithAGoLineAndHasNoEmptyBatch) {
    ASSERT_GT(lines_.Count(), 0);
    EXPECT_TRUE(IsSeparator(lines_[lines_.Count() - 1]));
    EXPECT_TRUE(trailing_.empty());
    ASSERT_GE(batches_.size(), 2u);

    // A "GO" with a count or a comment is no separator: it would reach the server as text.
    const QRegularExpression goLike(QStringLiteral(R"(^\s*GO(\s|--|$))"),
                                    QRegularExpression::CaseInsensitiveOption);
    for (int i = 0; i < lines_.Count(); ++i) {
        const QByteArrayView line = lines_[i];
        if (IsSeparator(line)) {
            EXPECT_EQ(line, QByteArrayView("GO")) << version_.toStdString() << " line " << i + 1;
        } else {
            EXPECT_FALSE(goLike.match(AnsiToUnicode(line)).hasMatch())
                << version_.toStdString() << " line " << i + 1;
        }
    }
    for (const Batch& b : batches_)
        EXPECT_GE(b.FirstCodeLine(), 0) << Where(b).toStdString();
}

TEST_P(UpdateScript, FirstBatchRefusesAnyVersionButItsOwnAndThePreviousOne) {
    ASSERT_FALSE(batches_.empty());
    EXPECT_EQ(batches_.front().Code(), FirstBatch(version_, previous_));
}

TEST_P(UpdateScript, LastBatchRecordsItsVersionInExactlyOneRow) {
    ASSERT_FALSE(batches_.empty());
    EXPECT_EQ(batches_.back().Code(), LastBatch(version_));
}

TEST_P(UpdateScript, EveryRoutineIsDroppedFirstAndCarriesOneEncryptionMarkerBeforeAs) {
    int routines = 0;
    for (std::size_t k = 0; k < batches_.size(); ++k) {
        const Batch& b = batches_[k];
        const std::string where = Where(b).toStdString();
        std::vector<int> markers;
        int creates = 0;
        for (int i = 0; i < int(b.lines.size()); ++i) {
            const QString& line = b.lines[std::size_t(i)];
            if (line.contains(kEncryptionMarker, Qt::CaseInsensitive)) {
                EXPECT_TRUE(line == kEncryptionMarker || line == kEncryptionMarker + u' ')
                    << where << ": " << line.toStdString();
                markers.push_back(i);
            }
            creates += kCreateRoutine.match(line).hasMatch() ? 1 : 0;
        }
        const int create = b.FindLine(0, kCreateRoutine);
        if (create < 0) {
            EXPECT_TRUE(markers.empty()) << where;
            continue;
        }
        ++routines;
        // The server takes a routine only as the first and only statement of its batch.
        EXPECT_EQ(create, b.FirstCodeLine()) << where;
        EXPECT_EQ(creates, 1) << where;
        ASSERT_EQ(markers.size(), 1u) << where;
        const int marker = markers[0];
        const int as = b.FindLine(create + 1, kAsLine);
        EXPECT_LT(create, marker) << where;
        EXPECT_LT(marker, as) << where;

        const auto m = kCreateRoutine.match(b.lines[std::size_t(create)]);
        QString kind = m.captured(1).toUpper();
        if (kind == QLatin1String("PROC"))
            kind = QStringLiteral("PROCEDURE");
        if (kind == QLatin1String("TRIGGER")) {
            QStringList head;
            for (int i = create; i < marker; ++i)
                head << b.lines[std::size_t(i)];
            EXPECT_TRUE(head.join(u' ').contains(QRegularExpression(
                QStringLiteral(R"(\sON\s)"), QRegularExpression::CaseInsensitiveOption)))
                << where;
            const int event = b.FindLine(create, kTriggerEventLine);
            EXPECT_GT(event, marker) << where;
            EXPECT_LT(event, as) << where;
        }

        // A repeated run finds the routine: the batch before must drop it.
        ASSERT_GT(k, 0u) << where;
        const QString name = m.captured(2);
        EXPECT_EQ(batches_[k - 1].Code(),
                  QStringLiteral("IF OBJECT_ID(N'%1') IS NOT NULL DROP %2 %1").arg(name, kind))
            << where;
    }
    EXPECT_GE(routines, 3);
}

TEST_P(UpdateScript, MinimumServerMarkerGuardsOneEncryptedProcedure) {
    int found = 0;
    for (const Batch& b : batches_) {
        const std::string where = Where(b).toStdString();
        for (int i = 0; i < int(b.lines.size()); ++i) {
            const QString& line = b.lines[std::size_t(i)];
            if (!line.contains(kMinSqlMarker, Qt::CaseInsensitive))
                continue;
            ++found;
            EXPECT_EQ(line, kMinSqlMarker + QStringLiteral("2005")) << where;
            const int create = b.FindLine(0, kCreateRoutine);
            ASSERT_GE(create, 0) << where;
            EXPECT_TRUE(kCreateRoutine.match(b.lines[std::size_t(create)])
                            .captured(1)
                            .startsWith(QLatin1String("PROC"), Qt::CaseInsensitive))
                << where;
            EXPECT_LT(b.FindLine(create,
                                 QRegularExpression(QRegularExpression::escape(kEncryptionMarker))),
                      i)
                << where;
            EXPECT_LT(i, b.FindLine(create, kAsLine)) << where;
        }
    }
    EXPECT_EQ(found, 1) << version_.toStdString();

    // SQL Server 2000 skips only the marked batch: it alone may use TRY...CATCH.
    const QRegularExpression since2005(QStringLiteral(R"(\bBEGIN\s+TRY\b|\bERROR_\w+\s*\()"),
                                       QRegularExpression::CaseInsensitiveOption);
    for (const Batch& b : batches_) {
        if (b.Code().contains(since2005)) {
            EXPECT_TRUE(b.HasLine(kMinSqlMarker + QStringLiteral("2005")))
                << Where(b).toStdString();
        }
    }
}

TEST_P(UpdateScript, UsesNoSyntaxNewerThanSqlServer2005) {
    const char* const newer[] = {
        R"(\bCREATE\s+OR\s+ALTER\b)",
        R"(\bDROP\s+\w+\s+IF\s+EXISTS\b)",
        R"(\bDECLARE\s+@\w+[^,]*=)", // initialised variable (2008)
        R"([-+*/%&|^]=)",            // compound assignment (2008)
        R"(\b(MERGE|THROW)\b)",
        R"(\b(IIF|CONCAT|TRY_CAST|TRY_CONVERT|TRY_PARSE|FORMAT|STRING_AGG)\s*\()",
        R"(\b(DATE|TIME|DATETIME2|DATETIMEOFFSET)\b)",
    };
    std::vector<QRegularExpression> patterns;
    for (const char* pattern : newer)
        patterns.emplace_back(QString::fromLatin1(pattern),
                              QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression literal(QStringLiteral("'([^']|'')*'"));
    for (const Batch& b : batches_) {
        for (const QString& line : b.lines) {
            if (!IsCode(line))
                continue;
            const QString code = QString(line).remove(literal);
            for (const QRegularExpression& re : patterns)
                EXPECT_FALSE(code.contains(re))
                    << Where(b).toStdString() << ": " << line.toStdString();
        }
    }
}

TEST_P(UpdateScript, CreatesTheServerVersionFunctionAndTheUpdateRunProcedure) {
    const Batch* function = nullptr;
    const Batch* procedure = nullptr;
    for (const Batch& b : batches_) {
        const QString code = b.Code();
        if (code.startsWith(QLatin1String("CREATE FUNCTION dbo.fn_WERSJA_MS_SQL()")))
            function = &b;
        if (code.startsWith(QLatin1String("CREATE PROCEDURE dbo.pc_QEN_AKTUALIZACJA ")))
            procedure = &b;
    }
    ASSERT_NE(function, nullptr);
    const QString f = function->Code();
    EXPECT_TRUE(f.contains(QLatin1String("SERVERPROPERTY('ProductVersion')")));
    const int years[] = {2000, 2005, 2008, 2012, 2014, 2016, 2017, 2019, 2022};
    for (int major = 8; major <= 16; ++major)
        EXPECT_TRUE(
            f.contains(QStringLiteral("WHEN '%1' THEN %2").arg(major).arg(years[major - 8])))
            << major;
    EXPECT_TRUE(f.contains(QLatin1String("ELSE 9999 END")));

    ASSERT_NE(procedure, nullptr);
    const QString p = procedure->Code();
    EXPECT_TRUE(p.contains(QLatin1String("pc_QEN_AKTUALIZACJA @AKTUALIZACJA CHAR(1) OUTPUT")));
    EXPECT_EQ(p.count(QLatin1String("OUTPUT")), 1);
    EXPECT_TRUE(p.contains(QLatin1String("OBJECT_ID(N'tempdb..#WA_OPCJE_TMP') IS NULL")));
    EXPECT_TRUE(p.contains(QLatin1String("WHERE NAZWA = 'Qen_AKTUALIZACJA'")));
}

INSTANTIATE_TEST_SUITE_P(
    Carried, UpdateScript, ::testing::Range(0, kVersionCount),
    [](const ::testing::TestParamInfo<int>& info) {
        return ResourceName(QString::fromLatin1(kVersions[info.param])).toStdString();
    });

TEST(UpdateScripts, EveryCarriedVersionHasOneUncompressedScript) {
    std::set<QString> expected;
    for (const char* v : kVersions) {
        const QString name = ResourceName(QString::fromLatin1(v));
        expected.insert(name);
        const QResource resource(QStringLiteral(":/RCDATA/") + name);
        ASSERT_TRUE(resource.isValid()) << name.toStdString();
        EXPECT_EQ(resource.compressionAlgorithm(), QResource::NoCompression) << name.toStdString();
    }
    std::set<QString> embedded;
    for (const QString& entry : QDir(QStringLiteral(":/RCDATA")).entryList(QDir::Files))
        if (entry.startsWith(QLatin1String("QEN_"), Qt::CaseInsensitive))
            embedded.insert(entry);
    EXPECT_EQ(embedded, expected);
}

TEST(UpdateScripts, AMissingScriptRaisesResNotFound) {
    try {
        TResourceStream("qen_24_3_0_0", RT_RCDATA);
        FAIL() << "no EResNotFound";
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Resource qen_24_3_0_0 not found"));
    }
}

} // namespace
