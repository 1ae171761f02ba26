// The lookup list box over 1,000 and over 100,000 records of the in-memory dataset: painting the
// rows shown, Page Down (with Page Up to come back), and an incremental search for a text whose
// only records stand near the end of the list. Painting and paging read the list link's record
// window, so they cost the same at both sizes; the search locates from the first record.

#include "controls/KDBLookupListBox.h"
#include "platform/data/DataSource.h"
#include "platform/data/MemoryDataSet.h"
#include "platform/gui/Application.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPixmap>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// Goods "Towar 000001" on, the last 10 named "Zeta ...", in a box of 20 rows whose key stands
// in the middle of the list.
class Fixture {
public:
    explicit Fixture(int count) {
        list.FieldDefs().Add(QStringLiteral("ID"), ftInteger);
        list.FieldDefs().Add(QStringLiteral("NAZWA"), ftString, 20);
        list.Open();
        for (int id = 1; id <= count; ++id)
            list.AppendRecord(
                {id, (id > count - 10 ? QStringLiteral("Zeta %1") : QStringLiteral("Towar %1"))
                         .arg(id, 6, 10, QLatin1Char('0'))});
        source.SetDataSet(&list);
        box = std::make_unique<TKDBLookupListBox>(nullptr);
        box->SetRowCount(20);
        box->SetListSource(&source);
        box->SetKeyFieldName(QStringLiteral("ID"));
        box->SetListFieldName(QStringLiteral("NAZWA;ID"));
        box->SetKeyValue(count / 2);
        box->show();
    }

    void Key(Qt::Key key, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(box.get(), &press);
    }

    TMemoryDataSet list;
    TDataSource source;
    std::unique_ptr<TKDBLookupListBox> box;
};

void BM_Paint(benchmark::State& state) {
    Fixture fixture(int(state.range(0)));
    QPixmap canvas(fixture.box->size());
    for (auto _ : state)
        fixture.box->render(&canvas);
}
BENCHMARK(BM_Paint)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_PageDownAndUp(benchmark::State& state) {
    Fixture fixture(int(state.range(0)));
    for (auto _ : state) {
        fixture.Key(Qt::Key_PageDown);
        fixture.Key(Qt::Key_PageUp);
    }
}
BENCHMARK(BM_PageDownAndUp)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_SearchNearTheEnd(benchmark::State& state) {
    Fixture fixture(int(state.range(0)));
    for (auto _ : state) {
        fixture.Key(Qt::Key_Escape, QStringLiteral("\x1b")); // a new search text
        fixture.Key(Qt::Key_Z, QStringLiteral("z"));
    }
    if (fixture.box->SelectedText().left(4) != QLatin1String("Zeta"))
        state.SkipWithError("the search found no Zeta");
}
BENCHMARK(BM_SearchNearTheEnd)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApplication(argc, argv);
    TApplication application;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
