// The in-memory dataset filled with 10,000, 100,000 and 1,000,000 goods of three fields (an
// integer key, a short name, a price): with the key given, with an ftAutoInc key numbered by the
// dataset, and as the detail of a master's record. Beside them the same rows pushed into a plain
// vector of QVariant rows, and reading every value of the filled dataset and posting an edit in
// its middle. Each reports the time per record and, for a fill, the heap it holds per record.

#include "platform/data/DataSource.h"
#include "platform/data/MemoryDataSet.h"

#include <QString>
#include <QVariant>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>
#include <vector>

namespace {

QString Name(int id) {
    return QStringLiteral("Towar %1").arg(id, 6, 10, QLatin1Char('0'));
}

double Price(int id) {
    return id % 1000 * 0.25;
}

std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd; // large blocks are mapped apart from the arena
}

void PerRecord(benchmark::State& state, int records, std::size_t heapHeld) {
    state.counters["time/record"] = benchmark::Counter(
        double(records), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    if (heapHeld)
        state.counters["bytes/record"] = double(heapHeld) / records;
}

// Fills a dataset made by `make` with `records` goods through `append`, keeping the heap the
// filled dataset holds; the dataset goes away untimed.
template <typename Make, typename Append>
void Fill(benchmark::State& state, Make make, Append append) {
    const int records = int(state.range(0));
    std::size_t held = 0;
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        auto data = make();
        for (int id = 1; id <= records; ++id)
            append(*data, id);
        held = HeapInUse() - before;
        state.PauseTiming();
        data.reset();
        state.ResumeTiming();
    }
    PerRecord(state, records, held);
}

std::unique_ptr<TMemoryDataSet> Goods(TFieldType keyType) {
    auto data = std::make_unique<TMemoryDataSet>();
    data->FieldDefs().Add(QStringLiteral("ID"), keyType);
    data->FieldDefs().Add(QStringLiteral("NAZWA"), ftString, 20);
    data->FieldDefs().Add(QStringLiteral("CENA"), ftFloat);
    data->Open();
    return data;
}

void BM_FillVectorOfRows(benchmark::State& state) {
    Fill(
        state, [] { return std::make_unique<std::vector<std::vector<QVariant>>>(); },
        [](std::vector<std::vector<QVariant>>& rows, int id) {
            rows.push_back({id, Name(id), Price(id)});
        });
}

void BM_FillDataSet(benchmark::State& state) {
    Fill(
        state, [] { return Goods(ftInteger); },
        [](TMemoryDataSet& data, int id) { data.AppendRecord({id, Name(id), Price(id)}); });
}

void BM_FillDataSetWithAutoInc(benchmark::State& state) {
    Fill(
        state, [] { return Goods(ftAutoInc); },
        [](TMemoryDataSet& data, int id) { data.AppendRecord({Null(), Name(id), Price(id)}); });
}

// The goods of order 2, appended while the master stands on it, after those of order 1.
struct Detail {
    Detail() {
        orders.FieldDefs().Add(QStringLiteral("NR"), ftInteger);
        orders.Open();
        orders.AppendRecord({1});
        orders.AppendRecord({2});
        source.SetDataSet(&orders);
        lines.FieldDefs().Add(QStringLiteral("ZAM"), ftInteger);
        lines.FieldDefs().Add(QStringLiteral("ID"), ftInteger);
        lines.FieldDefs().Add(QStringLiteral("NAZWA"), ftString, 20);
        lines.FieldDefs().Add(QStringLiteral("CENA"), ftFloat);
        lines.Open();
        for (int id = 1; id <= 100; ++id)
            lines.AppendRecord({1, id, Name(id), Price(id)});
        lines.SetMasterFields(QStringLiteral("NR"));
        lines.SetDetailFields(QStringLiteral("ZAM"));
        lines.SetMasterSource(&source);
        orders.Last();
    }

    TMemoryDataSet orders;
    TDataSource source;
    TMemoryDataSet lines;
};

void BM_FillDetail(benchmark::State& state) {
    Fill(
        state, [] { return std::make_unique<Detail>(); },
        [](Detail& detail, int id) {
            detail.lines.Append();
            detail.lines.Fields(1)->SetValue(id);
            detail.lines.Fields(2)->SetValue(Name(id));
            detail.lines.Fields(3)->SetValue(Price(id));
            detail.lines.Post();
        });
}

void BM_ReadEveryValue(benchmark::State& state) {
    const int records = int(state.range(0));
    const auto data = Goods(ftInteger);
    for (int id = 1; id <= records; ++id)
        data->AppendRecord({id, Name(id), Price(id)});
    for (auto _ : state)
        for (data->First(); !data->Eof(); data->Next())
            for (int field = 0; field < data->FieldCount(); ++field)
                benchmark::DoNotOptimize(data->Fields(field)->Value());
    PerRecord(state, records, 0);
}

// Edits the price of the record in the middle and posts it.
void BM_PostAnEditInTheMiddle(benchmark::State& state) {
    const int records = int(state.range(0));
    const auto data = Goods(ftAutoInc);
    for (int id = 1; id <= records; ++id)
        data->AppendRecord({Null(), Name(id), Price(id)});
    data->MoveBy(records / 2);
    int price = 0;
    for (auto _ : state) {
        data->Edit();
        data->Fields(2)->SetValue(++price);
        data->Post();
    }
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_FillVectorOfRows)->Apply(Sizes);
BENCHMARK(BM_FillDataSet)->Apply(Sizes);
BENCHMARK(BM_FillDataSetWithAutoInc)->Apply(Sizes);
BENCHMARK(BM_FillDetail)->Apply(Sizes);
BENCHMARK(BM_ReadEveryValue)->Apply(Sizes);
BENCHMARK(BM_PostAnEditInTheMiddle)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
