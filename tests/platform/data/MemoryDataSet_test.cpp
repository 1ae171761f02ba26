#include "platform/data/MemoryDataSet.h"

#include "platform/data/DataSource.h"
#include "platform/rtl/Exceptions.h"
#include "tests/support/DatabaseErrorOf.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

// Five goods, ID 1 to 5, named T1 to T5, priced 1.5 times their ID.
class MemoryDataSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        data.SetName("Towary");
        data.FieldDefs().Add("ID", ftInteger);
        data.FieldDefs().Add("NAZWA", ftString, 10);
        data.FieldDefs().Add("CENA", ftFloat);
        data.Open();
        for (int id = 1; id <= 5; ++id)
            data.AppendRecord({id, QString("T%1").arg(id), id * 1.5});
        data.First();
    }

    int Id() const { return data.FieldByName("ID")->Value().toInt(); }
    TField& Name() const { return *data.FieldByName("NAZWA"); }

    TMemoryDataSet data;
};

TEST_F(MemoryDataSetTest, MovesStopAtBothEndsAndSetBofAndEof) {
    struct Step {
        const char* name;
        std::function<int(TDataSet&)> move;
        int moved;
        int id;
        bool bof;
        bool eof;
    } const steps[] = {
        {"next", [](TDataSet& d) { return d.MoveBy(1); }, 1, 2, false, false},
        {"prior", [](TDataSet& d) { return d.MoveBy(-1); }, -1, 1, false, false},
        {"prior at the first", [](TDataSet& d) { return d.MoveBy(-1); }, 0, 1, true, false},
        {"prior at bof", [](TDataSet& d) { return d.MoveBy(-1); }, 0, 1, true, false},
        {"last", [](TDataSet& d) { return d.Last(), 0; }, 0, 5, false, true},
        {"next at eof", [](TDataSet& d) { return d.MoveBy(1); }, 0, 5, false, true},
        {"back", [](TDataSet& d) { return d.MoveBy(-1); }, -1, 4, false, false},
        {"onto the last", [](TDataSet& d) { return d.MoveBy(1); }, 1, 5, false, false},
        {"past the last", [](TDataSet& d) { return d.MoveBy(1); }, 0, 5, false, true},
        {"far back", [](TDataSet& d) { return d.MoveBy(-10); }, -4, 1, true, false},
        {"by two", [](TDataSet& d) { return d.MoveBy(2); }, 2, 3, false, false},
        {"far on", [](TDataSet& d) { return d.MoveBy(10); }, 2, 5, false, true},
        {"first", [](TDataSet& d) { return d.First(), 0; }, 0, 1, true, false},
    };
    EXPECT_TRUE(data.Bof());
    EXPECT_EQ(data.RecordCount(), 5);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        EXPECT_EQ(step.move(data), step.moved);
        EXPECT_EQ(Id(), step.id);
        EXPECT_EQ(data.Bof(), step.bof);
        EXPECT_EQ(data.Eof(), step.eof);
    }
}

TEST_F(MemoryDataSetTest, AnEmptyDatasetIsAtBothEnds) {
    TMemoryDataSet empty;
    empty.FieldDefs().Add("ID", ftInteger);
    empty.Open();
    EXPECT_TRUE(empty.Bof());
    EXPECT_TRUE(empty.Eof());
    EXPECT_EQ(empty.MoveBy(1), 0);
    empty.Last();
    EXPECT_TRUE(empty.Bof());
    EXPECT_TRUE(empty.FieldByName("ID")->IsNull());
    EXPECT_EQ(DatabaseErrorOf([&] { empty.Delete(); }),
              "Cannot perform this operation on an empty dataset");
    empty.Edit();
    EXPECT_EQ(empty.State(), dsInsert);
}

TEST_F(MemoryDataSetTest, EditInsertAppendPostCancelAndDelete) {
    data.Next();
    data.Edit();
    EXPECT_EQ(data.State(), dsEdit);
    Name().SetText("Zmiana");
    EXPECT_TRUE(data.Modified());
    data.Cancel();
    EXPECT_EQ(data.State(), dsBrowse);
    EXPECT_EQ(Name().Text(), "T2");

    data.Edit();
    Name().SetText("Zmiana");
    data.Post();
    EXPECT_EQ(Name().Text(), "Zmiana");
    EXPECT_FALSE(data.Modified());

    // Insert puts the new record before the current one; Cancel goes back to that one.
    data.Insert();
    EXPECT_EQ(data.State(), dsInsert);
    EXPECT_TRUE(Name().IsNull());
    data.Cancel();
    EXPECT_EQ(Id(), 2);
    EXPECT_EQ(data.RecordCount(), 5);
    data.Insert();
    data.FieldByName("ID")->SetValue(10);
    data.Post();
    EXPECT_EQ(Id(), 10);
    data.Next();
    EXPECT_EQ(Id(), 2);

    data.Append();
    data.FieldByName("ID")->SetValue(11);
    data.Post();
    EXPECT_TRUE(data.Locate("ID", 11));
    EXPECT_EQ(data.MoveBy(1), 0);
    EXPECT_EQ(data.RecordCount(), 7);

    // Deleting the last record goes to the one before; another, to the next one.
    data.Delete();
    EXPECT_EQ(Id(), 5);
    data.First();
    data.Delete();
    EXPECT_EQ(Id(), 10);
    EXPECT_EQ(data.RecordCount(), 5);
}

TEST_F(MemoryDataSetTest, MovingPostsAModifiedRecordAndDropsAnUnmodifiedOne) {
    data.Edit();
    Name().SetText("Nowa");
    data.Next();
    EXPECT_EQ(data.State(), dsBrowse);
    data.Prior();
    EXPECT_EQ(Name().Text(), "Nowa");

    data.Append();
    data.Next();
    EXPECT_EQ(data.RecordCount(), 5);

    // Closing drops what was not posted; the records stay for the next opening.
    data.Edit();
    Name().SetText("Inna");
    data.Close();
    data.Open();
    EXPECT_EQ(Name().Text(), "Nowa");
    EXPECT_EQ(data.RecordCount(), 5);
}

TEST_F(MemoryDataSetTest, OperationsInTheWrongStateAreRefused) {
    EXPECT_EQ(DatabaseErrorOf([&] { data.Post(); }), "Towary: Dataset not in edit or insert mode");
    EXPECT_EQ(DatabaseErrorOf([&] { Name().SetText("x"); }),
              "Towary: Dataset not in edit or insert mode");
    EXPECT_EQ(DatabaseErrorOf([&] { data.AddField("X", ftInteger); }),
              "Towary: Cannot perform this operation on an open dataset");
    data.Close();
    for (const auto& action : std::initializer_list<std::function<void()>>{
             [&] { data.Edit(); }, [&] { data.Next(); }, [&] { data.Insert(); },
             [&] { data.RecordCount(); }, [&] { data.Locate("ID", 1); }})
        EXPECT_EQ(DatabaseErrorOf(action),
                  "Towary: Cannot perform this operation on a closed dataset");
}

TEST_F(MemoryDataSetTest, FindsFieldsByNameInAnyCase) {
    EXPECT_EQ(data.FindField("nazwa"), &Name());
    EXPECT_EQ(data.FindField("BRAK"), nullptr);
    EXPECT_EQ(DatabaseErrorOf([&] { data.FieldByName("BRAK"); }), "Towary: Field 'BRAK' not found");
    data.SetName("");
    EXPECT_EQ(DatabaseErrorOf([&] { data.FieldByName("BRAK"); }), "Field 'BRAK' not found");

    std::vector<TField*> list;
    data.GetFieldList(list, "CENA; id;");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]->FieldName(), "CENA");
    EXPECT_EQ(list[1]->FieldName(), "ID");
    EXPECT_EQ(DatabaseErrorOf([&] { data.GetFieldList(list, "ID;;CENA"); }), "Field '' not found");
    EXPECT_EQ(DatabaseErrorOf([&] { data.GetFieldList(list, "ID;CENA;X"); }),
              "Field 'X' not found");
}

TEST_F(MemoryDataSetTest, LocateMatchesExactlyOrByOptions) {
    data.Edit();
    Name().SetText("Kawa");
    data.Post();
    data.Last();
    struct Case {
        const char* field;
        Variant key;
        TLocateOptions options;
        int id; // 0: not found
    } const cases[] = {
        {"NAZWA", QString("T3"), 0, 3},
        {"NAZWA", QString("t3"), 0, 0},
        {"NAZWA", QString("t3"), loCaseInsensitive, 3},
        {"NAZWA", QString("Ka"), 0, 0},
        {"NAZWA", QString("Ka"), loPartialKey, 1},
        {"NAZWA", QString("kA"), loPartialKey, 0},
        {"NAZWA", QString("kA"), loPartialKey | loCaseInsensitive, 1},
        {"ID", 4, 0, 4},
        {"ID", QString("2"), 0, 2},
        {"ID", 9, 0, 0},
        {"CENA", 6.0, 0, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.key.toString().toStdString());
        data.Locate("ID", 5);
        EXPECT_EQ(data.Locate(c.field, c.key, c.options), c.id != 0);
        EXPECT_EQ(Id(), c.id != 0 ? c.id : 5);
    }
    // An empty text finds a Null value, whatever the field's type.
    data.AppendRecord({Null(), Null(), Null()});
    for (const char* field : {"ID", "NAZWA", "CENA"}) {
        data.First();
        EXPECT_TRUE(data.Locate(field, QString())) << field;
        EXPECT_TRUE(data.FieldByName("ID")->IsNull()) << field;
    }
    EXPECT_THROW(data.Locate("ID", QString("x")), EVariantTypeCastError);
    EXPECT_THROW(data.Locate("NAZWA", QString("far too long")), EDatabaseError);
    EXPECT_THROW(data.Locate("ID;NAZWA", 1), EDatabaseError);
    data.Locate("ID", 5);
    EXPECT_EQ(data.Lookup("ID", 3, "NAZWA"), QString("T3"));
    EXPECT_EQ(Id(), 5);
}

TEST_F(MemoryDataSetTest, OwnFieldsSurviveClosingAndMadeOnesDoNot) {
    const std::weak_ptr<TField> made = Name().weak_from_this();
    data.Close();
    EXPECT_TRUE(made.expired());

    TMemoryDataSet own;
    own.FieldDefs().Add("ID", ftInteger);
    own.FieldDefs().Add("X", ftString);
    TField& id = own.AddField("ID", ftInteger);
    TField& twice = own.AddField("TWICE", ftInteger, 0, fkCalculated);
    own.OnCalcFields = [&](TDataSet&) { twice.SetValue(id.Value().toInt() * 2); };
    own.Open();
    own.AppendRecord({21});
    EXPECT_EQ(own.FieldCount(), 2);
    EXPECT_EQ(own.FindField("X"), nullptr);
    EXPECT_EQ(twice.Value(), 42);
    EXPECT_FALSE(twice.CanModify());
    own.Edit();
    EXPECT_THROW(twice.SetValue(1), EDatabaseError);
    own.Cancel();
    own.Close();
    EXPECT_FALSE(id.CanModify());
    EXPECT_TRUE(id.IsNull());
    own.Open();
    EXPECT_EQ(id.Value(), 21);

    TMemoryDataSet wrong;
    wrong.SetName("Zle");
    wrong.FieldDefs().Add("ID", ftString);
    wrong.AddField("ID", ftInteger);
    EXPECT_EQ(DatabaseErrorOf([&] { wrong.Open(); }),
              "Zle: Type mismatch for field 'ID', expecting: Integer actual: String");
    wrong.AddField("BRAK", ftInteger);
    EXPECT_EQ(DatabaseErrorOf([&] { wrong.AddField("brak", ftInteger); }),
              "Zle: Duplicate field name 'brak'");
    EXPECT_FALSE(wrong.Active());
}

TEST_F(MemoryDataSetTest, InternalCalculatedFieldsAreKeptWithThePostedRecord) {
    TMemoryDataSet orders;
    orders.FieldDefs().Add("QTY", ftInteger);
    TField& qty = orders.AddField("QTY", ftInteger);
    TField& label = orders.AddField("LABEL", ftString, 20, fkInternalCalc);
    int calculations = 0;
    orders.OnCalcFields = [&](TDataSet& d) {
        ++calculations;
        EXPECT_EQ(d.State(), dsCalcFields);
        label.SetValue(QString("x%1").arg(qty.Value().toInt()));
    };
    orders.Open();
    orders.Append();
    qty.SetValue(3);
    EXPECT_EQ(label.Value(), QString("x3"));
    orders.Post();
    calculations = 0;
    EXPECT_EQ(label.Value(), QString("x3"));
    EXPECT_EQ(calculations, 0);
    EXPECT_TRUE(label.CanModify());
}

TEST_F(MemoryDataSetTest, AutoIncrementFieldsNumberNewRecords) {
    TMemoryDataSet numbered;
    numbered.FieldDefs().Add("NR", ftAutoInc);
    numbered.FieldDefs().Add("X", ftString);
    numbered.Open();
    numbered.AppendRecord({Null(), QString("a")});
    numbered.AppendRecord({7, QString("b")});
    numbered.AppendRecord({Null(), QString("c")});
    EXPECT_EQ(numbered.FieldByName("NR")->Value(), 8);
    numbered.First();
    EXPECT_EQ(numbered.FieldByName("NR")->Value(), 1);
}

// The next number stays one above the highest held as records are deleted, renumbered and the
// dataset reopened.
TEST_F(MemoryDataSetTest, AutoIncrementFollowsTheHighestNumberHeld) {
    TMemoryDataSet numbered;
    numbered.FieldDefs().Add("NR", ftAutoInc);
    numbered.Open();
    // The field is made anew by each opening.
    const auto nr = [&]() -> TField& { return *numbered.FieldByName("NR"); };
    const auto appended = [&] {
        numbered.AppendRecord({Null()});
        return nr().Value().toInt();
    };
    const auto at = [&](int number) {
        EXPECT_TRUE(numbered.Locate("NR", number));
    };
    struct Step {
        const char* name;
        std::function<void()> change;
        int next;
    } const steps[] = {
        {"three appended", [&] { appended(), appended(); }, 3},
        {"the highest deleted", [&] { at(3), numbered.Delete(); }, 3},
        {"a middle one deleted", [&] { at(2), numbered.Delete(); }, 4},
        {"renumbered above", [&] { at(1), numbered.Edit(), nr().SetValue(10), numbered.Post(); },
         11},
        {"the highest gone, the next renumbered below", [&] {
             at(11), numbered.Delete();
             at(10), numbered.Edit(), nr().SetValue(2), numbered.Post();
         },
         5},
        {"emptied in edit takes the next", [&] {
             at(5), numbered.Edit(), nr().SetValue(Null()), numbered.Post();
             EXPECT_EQ(nr().Value(), 6);
         },
         7},
        {"reopened", [&] { numbered.Close(), numbered.Open(); }, 8},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.change();
        EXPECT_EQ(appended(), step.next);
    }
}

// Past the highest number an integer holds there is no next one: the post is refused, in
// whichever way the record asks for a number, and nothing is stored.
TEST_F(MemoryDataSetTest, AutoIncrementRefusesAPostPastTheHighestNumber) {
    TMemoryDataSet numbered;
    numbered.SetName("Numery");
    numbered.FieldDefs().Add("NR", ftAutoInc);
    numbered.FieldDefs().Add("X", ftString);
    numbered.Open();
    numbered.AppendRecord({5, QString("a")});
    numbered.AppendRecord({2147483647, QString("b")});
    TField& nr = *numbered.FieldByName("NR");
    TField& x = *numbered.FieldByName("X");
    struct Case {
        const char* name;
        std::function<void()> change;
        TDataSetState state;
    } const cases[] = {
        {"appended", [&] { numbered.Append(), x.SetText("c"); }, dsInsert},
        {"emptied in edit", [&] { numbered.First(), numbered.Edit(), nr.SetValue(Null()); },
         dsEdit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.change();
        EXPECT_EQ(DatabaseErrorOf([&] { numbered.Post(); }),
                  "Numery: Field 'NR' has no next number after 2147483647");
        EXPECT_EQ(numbered.State(), c.state);
        numbered.Cancel();
        EXPECT_EQ(numbered.RecordCount(), 2);
        numbered.First();
        EXPECT_EQ(nr.Value(), 5);
        EXPECT_EQ(x.Text(), "a");
        numbered.Last();
        EXPECT_EQ(nr.Value(), 2147483647);
        EXPECT_EQ(x.Text(), "b");
    }
    // The counts were left alone: with the highest gone, the next number follows the one held.
    numbered.Delete();
    numbered.AppendRecord({Null(), QString("c")});
    EXPECT_EQ(nr.Value(), 6);
}

TEST_F(MemoryDataSetTest, SetKeyAndGotoKeyFindTheKeysRecord) {
    data.SetKey();
    EXPECT_EQ(data.State(), dsSetKey);
    EXPECT_TRUE(Name().IsNull());
    Name().SetText("T4");
    EXPECT_TRUE(data.GotoKey());
    EXPECT_EQ(data.State(), dsBrowse);
    EXPECT_EQ(Id(), 4);
    data.SetKey();
    data.FieldByName("ID")->SetValue(9);
    EXPECT_FALSE(data.GotoKey());
    EXPECT_EQ(Id(), 4);
    data.SetKey();
    data.Cancel();
    EXPECT_EQ(Id(), 4);
    EXPECT_FALSE(data.GotoKey());
}

// A lookup field NAZWA_TOWARU of order lines follows the goods through TOWAR.
class LookupTest : public MemoryDataSetTest {
protected:
    void SetUp() override {
        MemoryDataSetTest::SetUp();
        lines.SetName("Pozycje");
        lines.FieldDefs().Add("TOWAR", ftInteger);
        lines.AddField("TOWAR", ftInteger);
        lookup = &lines.AddField("NAZWA_TOWARU", ftString, 10, fkLookup);
        lookup->SetKeyFields("TOWAR");
        lookup->SetLookupDataSet(&data);
        lookup->SetLookupKeyFields("ID");
        lookup->SetLookupResultField("NAZWA");
        lines.Open();
        lines.AppendRecord({2});
        lines.AppendRecord({4});
        lines.AppendRecord({Null()});
        lines.First();
    }

    TMemoryDataSet lines;
    TField* lookup = nullptr;
};

TEST_F(LookupTest, TheValueFollowsTheKeyAndTheLookupDataset) {
    EXPECT_EQ(lookup->Value(), QString("T2"));
    EXPECT_FALSE(lookup->CanModify());
    lines.Next();
    EXPECT_EQ(lookup->Text(), "T4");
    lines.Next();
    EXPECT_TRUE(lookup->IsNull());

    lines.First();
    data.Locate("ID", 2);
    data.Edit();
    Name().SetText("Herbata");
    data.Post();
    EXPECT_EQ(lookup->Value(), QString("Herbata"));

    lines.Edit();
    lines.FieldByName("TOWAR")->SetValue(5);
    EXPECT_EQ(lookup->Value(), QString("T5"));
    EXPECT_EQ(DatabaseErrorOf([&] { lookup->SetValue(QString("T1")); }),
              "Field 'NAZWA_TOWARU' cannot be modified");
    lookup->Clear();
    EXPECT_TRUE(lines.FieldByName("TOWAR")->IsNull());
    lines.Post();
    EXPECT_TRUE(lookup->IsNull());

    data.Close();
    lines.Next();
    EXPECT_TRUE(lookup->IsNull());
}

TEST_F(LookupTest, IncompleteLookupsAndAFreedLookupDatasetAreHandled) {
    lines.Close();
    lookup->SetLookupResultField("");
    EXPECT_EQ(DatabaseErrorOf([&] { lines.Open(); }),
              "Pozycje: Lookup information for field 'NAZWA_TOWARU' is incomplete");
    EXPECT_FALSE(lines.Active());
    lookup->SetLookupResultField("NAZWA");

    auto goods = std::make_unique<TMemoryDataSet>();
    lookup->SetLookupDataSet(goods.get());
    goods.reset();
    EXPECT_EQ(lookup->LookupDataSet(), nullptr);
}

// Order lines as the detail of orders, linked by their order number.
class MasterDetailTest : public ::testing::Test {
protected:
    void SetUp() override {
        orders.FieldDefs().Add("NR", ftInteger);
        orders.Open();
        for (int nr = 1; nr <= 3; ++nr)
            orders.AppendRecord({nr});
        orders.First();
        ordersSource.SetDataSet(&orders);

        lines.FieldDefs().Add("ZAM", ftInteger);
        lines.FieldDefs().Add("POZ", ftString);
        lines.Open();
        for (const auto& [order, item] : {std::pair{1, "a"}, {2, "b"}, {1, "c"}, {3, "d"}})
            lines.AppendRecord({order, QString(item)});
        lines.SetMasterFields("NR");
        lines.SetDetailFields("ZAM");
        lines.SetMasterSource(&ordersSource);
    }

    QString Items() {
        QString items;
        for (lines.First(); !lines.Eof(); lines.Next())
            items += lines.FieldByName("POZ")->Text();
        return items;
    }

    TMemoryDataSet orders;
    TDataSource ordersSource;
    TMemoryDataSet lines;
};

TEST_F(MasterDetailTest, TheDetailShowsTheMastersRecordsAndFollowsIt) {
    EXPECT_EQ(Items(), "ac");
    orders.Next();
    EXPECT_EQ(Items(), "b");
    lines.Append();
    EXPECT_EQ(lines.FieldByName("ZAM")->Value(), 2);
    lines.FieldByName("POZ")->SetText("e");
    lines.Post();
    EXPECT_EQ(Items(), "be");
    orders.Close();
    EXPECT_EQ(lines.RecordCount(), 0);
    orders.Open();
    EXPECT_EQ(Items(), "ac");
    lines.SetMasterSource(nullptr);
    EXPECT_EQ(Items(), "abecd");
}

TEST_F(MasterDetailTest, FreeingTheMastersDataSourceShowsAllRecordsAsSettingNoneDoes) {
    auto master = std::make_unique<TDataSource>();
    master->SetDataSet(&orders);
    lines.SetMasterSource(master.get());
    EXPECT_EQ(Items(), "ac");
    master.reset();
    EXPECT_EQ(lines.MasterSource(), nullptr);
    EXPECT_EQ(Items(), "abcd");
}

// Taking the master source away shows every record, and giving one that is inactive shows none,
// at once, whichever way the master is inactive.
TEST_F(MasterDetailTest, AnInactiveMastersSourceTakenOrGivenShowsTheRightRecordsAtOnce) {
    struct Way {
        const char* name;
        std::function<void(bool)> setActive;
    } const ways[] = {
        {"closed", [&](bool active) { orders.SetActive(active); }},
        {"its data source disabled", [&](bool active) { ordersSource.SetEnabled(active); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        way.setActive(false);
        EXPECT_EQ(lines.RecordCount(), 0);
        lines.SetMasterSource(nullptr);
        EXPECT_EQ(Items(), "abcd");
        lines.SetMasterSource(&ordersSource);
        EXPECT_EQ(lines.RecordCount(), 0);
        way.setActive(true);
        EXPECT_EQ(Items(), "ac");
    }
}

// A master closed while its controls are disabled is inactive to the detail at once: whatever
// the detail does meanwhile, it shows no record, gives new records no master values and reads
// none of the master's fields, and it follows the master again as soon as that opens.
TEST_F(MasterDetailTest, AMasterClosedWhileItsControlsAreDisabledIsInactive) {
    TField& order = *lines.FieldByName("ZAM");
    TField& item = *lines.FieldByName("POZ");
    struct Case {
        const char* name;
        std::function<void()> meanwhile;
    } const cases[] = {
        {"nothing", [] {}},
        {"an edit posted", [&] { lines.Edit(), item.SetText("x"), lines.Post(); }},
        {"a record appended",
         [&] {
             lines.Append();
             EXPECT_TRUE(order.IsNull());
             item.SetText("y");
             lines.Post();
         }},
        {"the empty detail's delete refused",
         [&] {
             EXPECT_EQ(DatabaseErrorOf([&] { lines.Delete(); }),
                       "Cannot perform this operation on an empty dataset");
         }},
        {"the detail reopened", [&] { lines.Close(), lines.Open(); }},
        {"the master source taken and given",
         [&] {
             lines.SetMasterSource(nullptr);
             EXPECT_EQ(lines.RecordCount(), 6);
             lines.SetMasterSource(&ordersSource);
         }},
        {"the detail fields set", [&] { lines.SetDetailFields("ZAM"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        orders.DisableControls();
        orders.Close();
        EXPECT_EQ(lines.RecordCount(), 0);
        c.meanwhile();
        EXPECT_TRUE(lines.Active());
        EXPECT_EQ(lines.RecordCount(), 0);
        orders.Open();
        EXPECT_EQ(Items(), "ac");
        orders.EnableControls();
        EXPECT_EQ(Items(), "ac");
    }
    lines.SetMasterSource(nullptr);
    EXPECT_EQ(Items(), "abcdxy");
}

TEST_F(MasterDetailTest, LinkedDatasetsAreKnownAndCirclesRefused) {
    TDataSource linesSource;
    linesSource.SetDataSet(&lines);
    EXPECT_TRUE(lines.IsLinkedTo(&linesSource));
    EXPECT_FALSE(lines.IsLinkedTo(&ordersSource));
    EXPECT_TRUE(orders.IsLinkedTo(&linesSource));
    EXPECT_TRUE(orders.IsLinkedTo(&ordersSource));
    EXPECT_TRUE(ordersSource.IsLinkedTo(&lines));
    EXPECT_FALSE(linesSource.IsLinkedTo(&orders));

    try {
        orders.SetMasterSource(&linesSource);
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Circular datalinks are not allowed");
    }
    TMemoryDataSet third;
    TDataSource thirdSource;
    third.SetMasterSource(&linesSource);
    lines.SetMasterSource(nullptr);
    lines.SetMasterSource(&thirdSource);
    EXPECT_THROW(thirdSource.SetDataSet(&third), EDatabaseError);
    EXPECT_EQ(thirdSource.DataSet(), nullptr);
}

} // namespace

// Inserting, appending, editing out of the view and deleting in the detail keep every record in
// its place among all of them, those of other masters included.
TEST_F(MasterDetailTest, ChangesInTheDetailKeepTheOrderOfAllRecords) {
    const auto add = [&](bool append, const char* item) {
        append ? lines.Append() : lines.Insert();
        lines.FieldByName("POZ")->SetText(item);
        lines.Post();
    };
    struct Step {
        const char* name;
        std::function<void()> change;
        QString shown;
    } const steps[] = {
        {"inserted before c", [&] { lines.Last(), add(false, "x"); }, "axc"},
        {"appended", [&] { add(true, "y"); }, "axcy"},
        {"c moved to order 2", [&] {
             lines.Locate("POZ", QString("c"));
             lines.Edit();
             lines.FieldByName("ZAM")->SetValue(2);
             lines.Post();
         },
         "axy"},
        {"a deleted", [&] { lines.First(), lines.Delete(); }, "xy"},
        {"order 2", [&] { orders.Next(); }, "bc"},
        {"inserted before b", [&] { lines.First(), add(false, "z"); }, "zbc"},
        {"all", [&] { lines.SetMasterSource(nullptr); }, "zbxcyd"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.change();
        EXPECT_EQ(Items(), step.shown);
    }
}
