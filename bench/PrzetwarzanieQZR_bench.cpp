// The script runner over a script of the carried scripts' size (10.7 MB, 288,000 lines, 3,150
// batches), against a connection that does nothing: loading the lines, counting separators,
// assembling batches, both markers, conversion to the driver's Unicode and status updates.
// Prints throughput and the peak memory of one load and run.

#include "engine/PrzetwarzanieQZR.h"
#include "platform/ado/ADODB.h"
#include "platform/rtl/StringList.h"

#include <QBuffer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

constexpr int kBatches = 3150;
constexpr int kLines = 288000;
constexpr qsizetype kBytes = 10'700'000;

// Pairs of batches: one drops a procedure, the next creates it again, with the encryption
// marker in every other one, the minimum-server marker once, comments with Polish letters
// (Windows-1250) and indented body lines.
AnsiString GenerateScript() {
    AnsiString s;
    s.reserve(kBytes + 4096);
    const int linesPerPair = kLines / (kBatches / 2); // "GO" lines included
    const qsizetype bytesPerLine = kBytes / kLines;
    for (int b = 0; b < kBatches / 2; ++b) {
        const AnsiString n = AnsiString::number(b);
        s += "IF OBJECT_ID(N'dbo.pc_PROC_" + n + "') IS NOT NULL DROP PROCEDURE dbo.pc_PROC_" + n +
             "\r\nGO\r\n";
        s += "CREATE PROCEDURE dbo.pc_PROC_" + n + " @id INT\r\n";
        int lines = 3;
        if (b % 2 == 0) {
            s += "-- 'C810A5C6-2053-412E-8618-652E1868305B'\r\n";
            ++lines;
        }
        if (b == 7) {
            s += "-- $MIN_SQL_2005\r\n";
            ++lines;
        }
        s += "AS\r\n";
        for (++lines; lines < linesPerPair - 1; ++lines) {
            AnsiString line = (lines % 7 == 0)
                                  ? "    -- zmiana \xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF "
                                  : "    SELECT kolumna_";
            line += AnsiString::number(lines);
            while (line.size() < bytesPerLine - 2)
                line += lines % 3 ? " + 1" : "\t";
            s += line + "\r\n";
        }
        s += "GO\r\n";
    }
    return s;
}

class NullSession : public TADOSession {
public:
    TADORecordset Execute(const QString&, int, bool returnsRecords) override {
        return returnsRecords ? TADORecordset(1, {{QVariant(2019)}}) : TADORecordset();
    }
    void BeginTrans() override { inTransaction_ = true; }
    void CommitTrans() override { inTransaction_ = false; }
    void RollbackTrans() override { inTransaction_ = false; }
    bool InTransaction() const override { return inTransaction_; }

private:
    bool inTransaction_ = false;
};

class NullProvider : public TADOProvider {
public:
    std::unique_ptr<TADOSession> Open(const QString&, int) override {
        return std::make_unique<NullSession>();
    }
};

class NullStatus : public TStatusControl {
public:
    void SetCaption(const QString& c) override { benchmark::DoNotOptimize(c.size()); }
    void SetColor(TColor) override {}
    bool Visible() const override { return true; }
    void Repaint() override {}
};

const AnsiString& Script() {
    static const AnsiString script = GenerateScript();
    return script;
}

void Load(TStringList& lines) {
    QBuffer resource;
    resource.setData(QByteArray::fromRawData(Script().constData(), Script().size()));
    resource.open(QIODevice::ReadOnly);
    lines.LoadFromStream(resource);
}

void Run(const TStringList& lines) {
    TADOConnection conn;
    conn.SetProvider(std::make_shared<NullProvider>());
    conn.Open();
    NullStatus status;
    TPrzetwarzanieQZR::WykonajSkrypt(conn, lines, true, status, "24.2.2.0");
}

long ProcStatusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(std::string(key).size()));
    return -1;
}

// Peak resident memory of one load and run, above what the process held before it.
void ReportPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = ProcStatusKb("VmRSS:");
    {
        TStringList lines;
        Load(lines);
        Run(lines);
    }
    const long peak = ProcStatusKb("VmHWM:");
    const double scriptMb = double(Script().size()) / 1e6;
    const double peakMb = double(peak - before) * 1024 / 1e6;
    std::printf("script: %.1f MB, %lld lines, %lld batches\n", scriptMb,
                static_cast<long long>(Script().count("\r\n")),
                static_cast<long long>(Script().count("\r\nGO\r\n")));
    std::printf("peak memory of one load and run: %.1f MB (%.2f x the script)\n", peakMb,
                peakMb / scriptMb);
}

void BM_Load(benchmark::State& state) {
    for (auto _ : state) {
        TStringList lines;
        Load(lines);
        benchmark::DoNotOptimize(lines.Count());
    }
    state.SetBytesProcessed(state.iterations() * Script().size());
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

void BM_Run(benchmark::State& state) {
    TStringList lines;
    Load(lines);
    for (auto _ : state)
        Run(lines);
    state.SetBytesProcessed(state.iterations() * Script().size());
    state.counters["batches/s"] =
        benchmark::Counter(double(kBatches), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Run)->Unit(benchmark::kMillisecond);

void BM_LoadAndRun(benchmark::State& state) {
    for (auto _ : state) {
        TStringList lines;
        Load(lines);
        Run(lines);
    }
    state.SetBytesProcessed(state.iterations() * Script().size());
    state.counters["batches/s"] =
        benchmark::Counter(double(kBatches), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LoadAndRun)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    Script();
    ReportPeakMemory();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
