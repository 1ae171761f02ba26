#include "controls/KDBLookupControl.h"

#include "platform/data/DataSource.h"
#include "platform/data/MemoryDataSet.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"
#include "tests/support/DatabaseErrorOf.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

QString Text(const Variant& value) {
    return VarIsNull(value) ? QStringLiteral("Null") : value.toString();
}

// The smallest lookup control: it shows the display text of its key and logs its repaints and
// clicks; the test reaches the base's state and operations through it.
class TTestLookup : public TKDBLookupControl {
public:
    explicit TTestLookup(QWidget* parent = nullptr) : TKDBLookupControl(nullptr, parent) {
        SetName(QStringLiteral("Lookup1"));
        OnClick = [this](QObject*) { log << QStringLiteral("click"); };
    }

    using TKDBLookupControl::BorderHeight;
    using TKDBLookupControl::ChooseKeyValue;
    using TKDBLookupControl::IsValueEditable;
    using TKDBLookupControl::LineHeight;
    using TKDBLookupControl::MoveListToKey;
    using TKDBLookupControl::SearchByTypedChar;

    TField* BoundField() const { return FBoundField; }
    TField* MasterField() const { return FMasterField; }
    TField* ListKeyField() const { return FListKeyField; }
    TField* DisplayField() const { return FDisplayField; }
    QStringList ListFieldNames() const {
        QStringList names;
        for (const TField* field : FListFields)
            names << field->FieldName();
        return names;
    }
    bool ListActive() const { return FListActive; }
    bool LookupMode() const { return FLookupMode; }
    const QString& SearchText() const { return FSearchText; }
    TDataSet* ListDataSet() const { return FListSourceLink->DataSet(); }
    TKDataSourceLink& DataLink() const { return *FDataSourceLink; }

    QStringList log;

protected:
    void CreateParams(TCreateParams& Params) override {
        TKDBLookupControl::CreateParams(Params);
        Params.ExStyle |= WS_EX_CLIENTEDGE;
    }
    void Paint(QPainter& Canvas) override {
        log << QStringLiteral("paint");
        Canvas.fillRect(QRect(0, 0, ClientWidth(), ClientHeight()), Qt::white);
        if (FListActive && !VarIsNull(FKeyValue))
            Canvas.drawText(QRect(2, 0, ClientWidth() - 4, ClientHeight()), Qt::AlignVCenter,
                            ListDataSet()
                                ->Lookup(FKeyFieldName, FKeyValue, FDisplayField->FieldName())
                                .toString());
    }
};

// Customers (the list), suppliers, and orders bound to both through lookup fields, on a shown
// form with the control under test.
class LookupControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        klienci.SetName("Klienci");
        klienci.FieldDefs().Add("ID", ftInteger);
        klienci.FieldDefs().Add("NAZWA", ftString, 40);
        klienci.FieldDefs().Add("SKROT", ftString, 3);
        klienci.FieldDefs().Add("WIEK", ftInteger);
        klienci.Open();
        klienci.AppendRecord({1, QString("Adam"), QString("ADA"), 30});
        klienci.AppendRecord({2, QString("Agnieszka"), QString("AGN"), 25});
        klienci.AppendRecord({3, QString("Bogdan"), QString("BOG"), 40});
        klienci.AppendRecord({4, QString("Łukasz"), QString("LUK"), 35});
        klienci.AppendRecord({5, QString("Żaneta"), QString("ZAN"), 28});
        klienci.First();
        klienciSource.SetDataSet(&klienci);

        dostawcy.FieldDefs().Add("ID", ftInteger);
        dostawcy.FieldDefs().Add("NAZWA", ftString, 20);
        dostawcy.Open();
        dostawcy.AppendRecord({10, QString("Delta")});
        dostawcy.AppendRecord({20, QString("Omega")});
        dostawcySource.SetDataSet(&dostawcy);

        zamowienia.SetName("Zamowienia");
        for (const char* name : {"NR", "KLIENT", "DOSTAWCA"}) {
            zamowienia.FieldDefs().Add(name, ftInteger);
            zamowienia.AddField(name, ftInteger);
        }
        AddLookup("KLIENT_NAZWA", "KLIENT", &klienci);
        AddLookup("DOSTAWCA_NAZWA", "DOSTAWCA", &dostawcy);
        zamowienia.Open();
        zamowienia.AppendRecord({1, 2, 10});
        zamowienia.AppendRecord({2, Null(), 20});
        zamowienia.First();
        zamowieniaSource.SetDataSet(&zamowienia);

        form.resize(300, 200);
        SetBounds(control, 10, 10, 150, 24);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        control->log.clear();
    }

    void AddLookup(const char* name, const char* key, TDataSet* lookupDataSet) {
        TField& field = zamowienia.AddField(name, ftString, 40, fkLookup);
        field.SetKeyFields(key);
        field.SetLookupDataSet(lookupDataSet);
        field.SetLookupKeyFields("ID");
        field.SetLookupResultField("NAZWA");
    }

    // The control lists the customers by name, unbound.
    void ListCustomers(TTestLookup& c) {
        c.SetListSource(&klienciSource);
        c.SetKeyFieldName("ID");
        c.SetListFieldName("NAZWA");
    }

    void LogChanges(TTestLookup& c) {
        c.OnKBeforeChange = [&c](QObject*, const Variant& Old, const Variant& New, bool&) {
            c.log << QStringLiteral("before %1>%2").arg(Text(Old), Text(New));
        };
        c.OnKAfterChange = [&c](QObject*, const Variant& Old, const Variant& New) {
            c.log << QStringLiteral("after %1>%2").arg(Text(Old), Text(New));
        };
    }

    // A shown control listing the customers, bound to the field, logging its changes; its
    // before-handler then does what a test's handler does.
    std::unique_ptr<TTestLookup> LookupWithHandler(TDataSource& source, const char* field,
                                                   std::function<void(TTestLookup&)> handler) {
        auto lookup = std::make_unique<TTestLookup>(&form);
        SetBounds(lookup.get(), 10, 50, 150, 24);
        lookup->show();
        ListCustomers(*lookup);
        lookup->SetDataSource(&source);
        lookup->SetDataFieldName(field);
        LogChanges(*lookup);
        TTestLookup& c = *lookup;
        lookup->OnKBeforeChange = [&c, handler](QObject*, const Variant& Old, const Variant& New,
                                                bool&) {
            c.log << QStringLiteral("before %1>%2").arg(Text(Old), Text(New));
            handler(c);
        };
        lookup->log.clear();
        return lookup;
    }

    Variant Klient() const { return zamowienia.FieldByName("KLIENT")->Value(); }

    TMemoryDataSet klienci;
    TMemoryDataSet dostawcy;
    TMemoryDataSet zamowienia;
    TDataSource klienciSource;
    TDataSource dostawcySource;
    TDataSource zamowieniaSource;
    TForm form;
    TTestLookup* control = new TTestLookup(&form);
};

TEST_F(LookupControlTest, StartsUnboundWithNoListAndTakesTheFocusByTab) {
    EXPECT_EQ(control->DataSource(), nullptr);
    EXPECT_EQ(control->GetListSource(), nullptr);
    EXPECT_TRUE(control->DataField().isEmpty());
    EXPECT_TRUE(control->GetKeyFieldName().isEmpty());
    EXPECT_EQ(control->ListFieldIndex(), 0);
    EXPECT_FALSE(control->GetReadOnly());
    EXPECT_EQ(control->NullValueKey(), 0);
    EXPECT_TRUE(VarIsNull(control->KeyValue()));
    EXPECT_TRUE(control->TabStop());
    EXPECT_FALSE(control->ParentColor());
    EXPECT_EQ(control->Color(), clWindow);
    // Neither source: nothing may be changed by the user.
    EXPECT_FALSE(control->IsValueEditable());
    EXPECT_EQ(control->BorderHeight(), 4);
    EXPECT_EQ(control->LineHeight(), QFontMetrics(control->font()).height());
}

TEST_F(LookupControlTest, TheDisplayFieldIsTheChosenListFieldOrTheFirst) {
    struct Case {
        const char* listField;
        int index;
        const char* display;
        QStringList fields;
    } const cases[] = {
        {"", 0, "ID", {"ID"}},
        {"NAZWA;WIEK", 1, "WIEK", {"NAZWA", "WIEK"}},
        {"NAZWA;WIEK", 5, "NAZWA", {"NAZWA", "WIEK"}},
        {"NAZWA;WIEK", -1, "NAZWA", {"NAZWA", "WIEK"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.listField);
        TTestLookup lookup;
        lookup.SetListFieldIndex(c.index);
        lookup.SetListFieldName(c.listField);
        lookup.SetListSource(&klienciSource);
        EXPECT_FALSE(lookup.ListActive()); // no key field yet
        lookup.SetKeyFieldName("ID");
        EXPECT_TRUE(lookup.ListActive());
        EXPECT_EQ(lookup.ListKeyField(), klienci.FieldByName("ID"));
        EXPECT_EQ(lookup.DisplayField()->FieldName(), c.display);
        EXPECT_EQ(lookup.ListFieldNames(), c.fields);
    }
}

TEST_F(LookupControlTest, AMissingListFieldLeavesTheNameStoredAndTheListInactive) {
    ListCustomers(*control);
    ASSERT_TRUE(control->ListActive());
    EXPECT_EQ(DatabaseErrorOf([&] { control->SetListFieldName("NAZWA;BRAK"); }),
              "Lookup1: Field 'NAZWA;BRAK' not found");
    EXPECT_EQ(control->ListField(), "NAZWA;BRAK");
    EXPECT_FALSE(control->ListActive());
    EXPECT_EQ(control->DisplayField(), nullptr);

    EXPECT_EQ(DatabaseErrorOf([&] { control->SetKeyFieldName("ID;NAZWA"); }),
              "Lookup1: Field 'ID;NAZWA' not found");
    EXPECT_EQ(control->GetKeyFieldName(), "ID;NAZWA");
    EXPECT_EQ(control->ListKeyField(), nullptr);

    EXPECT_EQ(DatabaseErrorOf([&] { control->SetListFieldName("NAZWA"); }),
              "Lookup1: Field 'ID;NAZWA' not found");
    EXPECT_EQ(DatabaseErrorOf([&] { control->SetKeyFieldName("ID"); }), "no error");
    EXPECT_TRUE(control->ListActive());
}

TEST_F(LookupControlTest, TheKeyFollowsTheBoundFieldOfTheCurrentRecord) {
    ListCustomers(*control);
    control->SetDataSource(&zamowieniaSource);
    control->SetDataFieldName("KLIENT");
    EXPECT_EQ(control->BoundField(), zamowienia.FieldByName("KLIENT"));
    EXPECT_EQ(control->MasterField(), control->BoundField());
    EXPECT_EQ(control->KeyValue(), 2);
    EXPECT_TRUE(control->IsValueEditable());
    zamowienia.Next();
    EXPECT_TRUE(VarIsNull(control->KeyValue()));
    zamowienia.Prior();
    EXPECT_EQ(control->KeyValue(), 2);

    // A change of another field leaves the key alone; one of the key field brings it along.
    zamowienia.Edit();
    control->SetKeyValue(4);
    zamowienia.FieldByName("NR")->SetValue(7);
    EXPECT_EQ(control->KeyValue(), 4);
    zamowienia.FieldByName("KLIENT")->SetValue(5);
    EXPECT_EQ(control->KeyValue(), 5);
    zamowienia.Cancel();
    EXPECT_EQ(control->KeyValue(), 2);

    control->SetReadOnly(true);
    EXPECT_FALSE(control->IsValueEditable());
    control->SetReadOnly(false);
    zamowienia.Close();
    EXPECT_EQ(control->BoundField(), nullptr);
    EXPECT_TRUE(VarIsNull(control->KeyValue()));
    EXPECT_FALSE(control->IsValueEditable());
}

TEST_F(LookupControlTest, WritingDataFieldWithoutADataSourceDropsAChosenKey) {
    ListCustomers(*control);
    control->ChooseKeyValue(3);
    EXPECT_EQ(control->KeyValue(), 3);
    control->SetDataFieldName("KLIENT");
    EXPECT_TRUE(VarIsNull(control->KeyValue()));
}

TEST_F(LookupControlTest, MoveListToKeyFindsTheKeysRecordOrReportsFalse) {
    ListCustomers(*control);
    klienci.Last();
    control->SetKeyValue(2);
    EXPECT_TRUE(control->MoveListToKey());
    EXPECT_EQ(klienci.FieldByName("ID")->Value(), 2);
    EXPECT_EQ(control->KeyValue(), 2);

    control->SetKeyValue(99);
    EXPECT_FALSE(control->MoveListToKey());
    control->SetKeyValue(Null());
    EXPECT_FALSE(control->MoveListToKey());
    EXPECT_EQ(klienci.FieldByName("ID")->Value(), 2);
    // A key that the key field cannot take: the locate's failure is swallowed.
    control->SetKeyValue(QString("abc"));
    EXPECT_FALSE(control->MoveListToKey());
    klienci.Close();
    control->SetKeyValue(2);
    EXPECT_FALSE(control->MoveListToKey());
}

TEST_F(LookupControlTest, ALookupFieldBringsItsListKeyAndResultField) {
    control->SetListSource(&dostawcySource);
    control->SetKeyFieldName("ID");
    control->SetDataSource(&zamowieniaSource);
    control->SetDataFieldName("KLIENT_NAZWA");
    EXPECT_TRUE(control->LookupMode());
    EXPECT_EQ(control->GetListSource(), nullptr);
    EXPECT_TRUE(control->GetKeyFieldName().isEmpty());
    EXPECT_EQ(control->ListDataSet(), &klienci);
    EXPECT_EQ(control->MasterField(), zamowienia.FieldByName("KLIENT"));
    EXPECT_EQ(control->DisplayField(), klienci.FieldByName("NAZWA"));
    EXPECT_EQ(control->KeyValue(), 2);
    EXPECT_TRUE(control->IsValueEditable());

    EXPECT_EQ(DatabaseErrorOf([&] { control->SetKeyFieldName("NAZWA"); }),
              "Property already defined by lookup field");
    EXPECT_EQ(DatabaseErrorOf([&] { control->SetListSource(&klienciSource); }),
              "Property already defined by lookup field");
    control->SetListFieldName("WIEK");
    EXPECT_EQ(control->ListFieldNames(), (QStringList{"NAZWA", "WIEK"}));
    control->SetListFieldName("WIEK;NAZWA");
    EXPECT_EQ(control->ListFieldNames(), (QStringList{"WIEK", "NAZWA"}));
    EXPECT_EQ(control->DisplayField(), klienci.FieldByName("NAZWA"));

    // Leaving lookup mode leaves no list source and no key field.
    control->SetDataFieldName("KLIENT");
    EXPECT_FALSE(control->LookupMode());
    EXPECT_EQ(control->GetListSource(), nullptr);
    EXPECT_TRUE(control->GetKeyFieldName().isEmpty());
    EXPECT_FALSE(control->ListActive());
}

TEST_F(LookupControlTest, AFixedDataSourceRefusesListSettings) {
    control->DataLink().SetDataSourceFixed(true);
    EXPECT_EQ(DatabaseErrorOf([&] { control->SetKeyFieldName("ID"); }),
              "Operation not allowed in a DBCtrlGrid");
    EXPECT_EQ(DatabaseErrorOf([&] { control->SetListSource(&klienciSource); }),
              "Operation not allowed in a DBCtrlGrid");
    EXPECT_TRUE(control->GetKeyFieldName().isEmpty());
    EXPECT_EQ(control->GetListSource(), nullptr);

    // While a design is read the container sets the data source; the control's own is dropped.
    control->BeginLoading();
    control->SetDataSource(&zamowieniaSource);
    EXPECT_EQ(control->DataSource(), nullptr);
    control->Loaded();
    EXPECT_EQ(DatabaseErrorOf([&] { control->SetDataSource(&zamowieniaSource); }),
              "DataSource cannot be changed");
}

TEST_F(LookupControlTest, MovingBetweenLookupFieldsTakesTheNewFieldsListAndWritesItsKey) {
    LogChanges(*control);
    control->SetDataSource(&zamowieniaSource);
    control->SetDataFieldName("KLIENT_NAZWA");
    control->SetDataFieldName("DOSTAWCA_NAZWA");
    EXPECT_EQ(control->ListDataSet(), &dostawcy);
    EXPECT_EQ(control->DisplayField(), dostawcy.FieldByName("NAZWA"));
    EXPECT_EQ(control->MasterField(), zamowienia.FieldByName("DOSTAWCA"));
    EXPECT_EQ(control->KeyValue(), 10);

    TFixedTickCount ticks(50000);
    control->SearchByTypedChar(u'o');
    EXPECT_EQ(zamowienia.FieldByName("DOSTAWCA")->Value(), 20);
    EXPECT_EQ(zamowienia.FieldByName("DOSTAWCA_NAZWA")->Value(), QString("Omega"));
    EXPECT_EQ(Klient(), 2);
    EXPECT_EQ(control->log, (QStringList{"before 10>20", "after 10>20", "paint", "click"}));
}

TEST_F(LookupControlTest, AMissingDataFieldLeavesLookupModeSoTheListCanBeReopened) {
    control->SetDataSource(&zamowieniaSource);
    control->SetDataFieldName("KLIENT_NAZWA");
    ASSERT_TRUE(control->LookupMode());
    EXPECT_EQ(DatabaseErrorOf([&] { control->SetDataFieldName("BRAK"); }),
              "Lookup1: Field 'BRAK' not found");
    EXPECT_EQ(control->DataField(), "BRAK");
    EXPECT_FALSE(control->LookupMode());
    EXPECT_EQ(control->BoundField(), nullptr);
    EXPECT_EQ(control->MasterField(), nullptr);

    EXPECT_EQ(DatabaseErrorOf([&] {
                  control->SetListFieldName("WIEK");
                  klienci.Close();
                  klienci.Open();
              }),
              "no error");
    EXPECT_FALSE(control->ListActive());
    EXPECT_FALSE(control->IsValueEditable());

    control->SetDataFieldName("KLIENT_NAZWA");
    EXPECT_TRUE(control->LookupMode());
    EXPECT_EQ(control->ListFieldNames(), (QStringList{"NAZWA", "WIEK"}));
    EXPECT_EQ(control->KeyValue(), 2);
}

struct ChooseCase {
    const char* name;
    bool bound;
    Variant start;
    Variant chosen;
    bool veto;
    QStringList log;
    Variant result; // the key value, and the field's value when bound
    TDataSetState state;
};

TEST_F(LookupControlTest, ChoosingAKeyFiresTheChangeEventsWritesTheFieldRepaintsAndClicks) {
    const ChooseCase cases[] = {
        {"null to value",
         false,
         Null(),
         2,
         false,
         {"before Null>2", "after Null>2", "paint", "click"},
         2,
         dsBrowse},
        {"value to null",
         false,
         2,
         Null(),
         false,
         {"before 2>Null", "after 2>Null", "paint", "click"},
         Null(),
         dsBrowse},
        {"null to null", false, Null(), Null(), false, {"paint", "click"}, Null(), dsBrowse},
        {"the same value", false, 2, 2, false, {"paint", "click"}, 2, dsBrowse},
        {"a veto", false, 2, 3, true, {"before 2>3", "paint", "click"}, 2, dsBrowse},
        {"bound: value to value",
         true,
         2,
         3,
         false,
         {"before 2>3", "after 2>3", "paint", "click"},
         3,
         dsEdit},
        {"bound: value to null",
         true,
         2,
         Null(),
         false,
         {"before 2>Null", "after 2>Null", "paint", "click"},
         Null(),
         dsEdit},
        {"bound: the same value is written again",
         true,
         2,
         2,
         false,
         {"paint", "click"},
         2,
         dsEdit},
        {"bound: a veto", true, 2, 3, true, {"before 2>3", "paint", "click"}, 2, dsEdit},
    };
    for (const ChooseCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto* lookup = new TTestLookup(&form);
        SetBounds(lookup, 10, 50, 150, 24);
        lookup->show();
        ListCustomers(*lookup);
        if (c.bound) {
            lookup->SetDataSource(&zamowieniaSource);
            lookup->SetDataFieldName("KLIENT");
        } else {
            lookup->SetKeyValue(c.start);
        }
        LogChanges(*lookup);
        if (c.veto)
            lookup->OnKBeforeChange = [lookup](QObject* Sender, const Variant& Old,
                                               const Variant& New, bool& Wykonaj) {
                EXPECT_EQ(Sender, lookup);
                EXPECT_TRUE(Wykonaj);
                lookup->log << QStringLiteral("before %1>%2").arg(Text(Old), Text(New));
                Wykonaj = false;
            };
        lookup->log.clear();
        lookup->ChooseKeyValue(c.chosen);
        EXPECT_EQ(lookup->log, c.log);
        EXPECT_TRUE(VariantsEqual(lookup->KeyValue(), c.result))
            << Text(lookup->KeyValue()).toStdString();
        if (c.bound) {
            EXPECT_TRUE(VariantsEqual(Klient(), c.result)) << Text(Klient()).toStdString();
        }
        EXPECT_EQ(zamowienia.State(), c.state);
        zamowienia.Cancel();
        delete lookup;
    }
}

TEST_F(LookupControlTest, ABeforeChangeHandlerThatUnbindsTheControlDropsTheChoiceWithoutAClick) {
    // Orders of another year, with the same fields.
    TMemoryDataSet archiwum;
    for (const char* name : {"NR", "KLIENT", "DOSTAWCA"})
        archiwum.FieldDefs().Add(name, ftInteger);
    archiwum.Open();
    archiwum.AppendRecord({9, 1, 20});
    struct Case {
        const char* name;
        std::function<void(TTestLookup&)> unbind;
    } const cases[] = {
        {"closes the dataset", [&](TTestLookup&) { zamowienia.Close(); }},
        {"disables the data source", [&](TTestLookup&) { zamowieniaSource.SetEnabled(false); }},
        {"takes the data source away", [](TTestLookup& c) { c.SetDataSource(nullptr); }},
        {"binds the control to another field",
         [](TTestLookup& c) { c.SetDataFieldName("DOSTAWCA"); }},
        {"points the data source at another dataset",
         [&](TTestLookup&) { zamowieniaSource.SetDataSet(&archiwum); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto lookup = LookupWithHandler(zamowieniaSource, "KLIENT", c.unbind);
        EXPECT_EQ(DatabaseErrorOf([&] { lookup->ChooseKeyValue(4); }), "no error");
        // Nothing was chosen: no after-event and no click.
        EXPECT_EQ(lookup->log, (QStringList{"before 2>4", "paint"}));
        zamowieniaSource.SetDataSet(&zamowienia);
        zamowieniaSource.SetEnabled(true);
        zamowienia.Open();
        EXPECT_EQ(Klient(), 2);
        EXPECT_EQ(zamowienia.FieldByName("DOSTAWCA")->Value(), 10);
        EXPECT_EQ(archiwum.FieldByName("KLIENT")->Value(), 1);
        zamowienia.Cancel();
        archiwum.Cancel();
        zamowienia.First();
    }
}

TEST_F(LookupControlTest, ABeforeChangeHandlerThatRefreshesTheBoundDatasetGetsTheChoiceWritten) {
    // Items whose fields the dataset makes anew at every opening.
    TMemoryDataSet pozycje;
    for (const char* name : {"NR", "KLIENT"})
        pozycje.FieldDefs().Add(name, ftInteger);
    pozycje.Open();
    pozycje.AppendRecord({1, 2});
    TDataSource pozycjeSource;
    pozycjeSource.SetDataSet(&pozycje);
    struct Case {
        const char* name;
        TDataSet& dataSet;
        TDataSource& source;
        const char* field;
        bool edits; // else the refresh leaves the dataset browsing
    } const cases[] = {
        {"new fields, edited again", pozycje, pozycjeSource, "KLIENT", true},
        {"new fields, left browsing", pozycje, pozycjeSource, "KLIENT", false},
        {"a lookup field", zamowienia, zamowieniaSource, "KLIENT_NAZWA", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto lookup = LookupWithHandler(c.source, c.field, [&c](TTestLookup&) {
            c.dataSet.Close();
            c.dataSet.Open();
            if (c.edits)
                c.dataSet.Edit();
        });
        lookup->ChooseKeyValue(4);
        EXPECT_EQ(lookup->log, (QStringList{"before 2>4", "after 2>4", "paint", "click"}));
        EXPECT_EQ(c.dataSet.FieldByName("KLIENT")->Value(), 4);
        EXPECT_EQ(lookup->KeyValue(), 4);
        c.dataSet.Cancel();
    }
}

TEST_F(LookupControlTest, ADatasetThatCannotBeEditedTakesNothingButTheClickFires) {
    ListCustomers(*control);
    control->SetDataSource(&zamowieniaSource);
    control->SetDataFieldName("KLIENT");
    LogChanges(*control);
    const std::function<void()> refusals[] = {
        [&] { control->SetReadOnly(true); },
        [&] { zamowieniaSource.SetAutoEdit(false); },
    };
    for (const auto& refuse : refusals) {
        control->SetReadOnly(false);
        zamowieniaSource.SetAutoEdit(true);
        refuse();
        control->log.clear();
        control->ChooseKeyValue(4);
        EXPECT_EQ(control->log, (QStringList{"paint", "click"}));
        EXPECT_EQ(Klient(), 2);
        EXPECT_EQ(control->KeyValue(), 2);
        EXPECT_EQ(zamowienia.State(), dsBrowse);
    }
}

TEST_F(LookupControlTest, AFailingHandlerPassesOnWithoutRepaintOrClick) {
    ListCustomers(*control);
    control->SetKeyValue(1);
    control->OnKBeforeChange = [](QObject*, const Variant&, const Variant&, bool&) {
        throw EDatabaseError("Nie wolno");
    };
    control->log.clear();
    EXPECT_EQ(DatabaseErrorOf([&] { control->ChooseKeyValue(2); }), "Nie wolno");
    EXPECT_EQ(control->KeyValue(), 1);

    control->OnKBeforeChange = nullptr;
    control->OnKAfterChange = [](QObject*, const Variant&, const Variant&) {
        throw EDatabaseError("Za późno");
    };
    EXPECT_EQ(DatabaseErrorOf([&] { control->ChooseKeyValue(2); }), "Za późno");
    EXPECT_EQ(control->KeyValue(), 2);
    EXPECT_TRUE(control->log.isEmpty()) << control->log.join("|").toStdString();
}

TEST_F(LookupControlTest, ValuesThatCannotBeComparedDifferButAChoiceBetweenThemFails) {
    EXPECT_FALSE(VariantsEqual(QString("abc"), 5));
    EXPECT_FALSE(VariantsEqual(Null(), 5));
    EXPECT_TRUE(VariantsEqual(Null(), Null()));
    EXPECT_TRUE(VariantsEqual(2, 2.0));
    EXPECT_TRUE(VariantsEqual(QString("2"), 2));

    control->SetKeyValue(QString("abc"));
    control->SetKeyValue(5);
    EXPECT_EQ(control->KeyValue(), 5);
    control->SetKeyValue(QString("abc"));
    control->log.clear();
    EXPECT_THROW(control->ChooseKeyValue(5), EVariantTypeCastError);
    EXPECT_EQ(control->KeyValue(), QString("abc"));
    EXPECT_TRUE(control->log.isEmpty());
}

struct SearchStep {
    int control; // 0 or 1
    std::uint32_t tick;
    char16_t key;
    const char16_t* searchText;
    Variant keyValue;
};

TEST_F(LookupControlTest, TheSearchGoesOnWithinTwoSecondsOfTheLastCharacterOfAnyControl) {
    TTestLookup other(&form);
    TTestLookup* controls[] = {control, &other};
    for (TTestLookup* c : controls)
        ListCustomers(*c);
    const SearchStep steps[] = {
        {0, 10000, u'a', u"a", 1},
        {0, 12000, u'G', u"aG", 2},  // exactly 2000 ms later: the same search
        {0, 14001, u'b', u"b", 3},   // 2001 ms later: a new one
        {0, 14500, u'x', u"b", 3},   // no record: nothing changes
        {1, 15500, u'ł', u"ł", 4},   // Polish letters, in any case
        {0, 17000, u'o', u"bo", 3},  // 1500 ms after the other control's character
        {0, 17100, u'\b', u"", 3},   // backspace empties the search
        {0, 17200, u'\x1b', u"", 3}, // so does escape
        {0, 17300, u'\x7f', u"", 3}, // DEL searches nothing
        {0, 17400, u'\x01', u"", 3}, // nor does any other control character
        {0, 17500, u'Ż', u"Ż", 5},
    };
    TFixedTickCount ticks(0);
    for (const SearchStep& s : steps) {
        SCOPED_TRACE(QString(QChar(s.key)).toStdString() + " at " + std::to_string(s.tick));
        ticks.Set(s.tick);
        controls[s.control]->SearchByTypedChar(QChar(s.key));
        EXPECT_EQ(controls[s.control]->SearchText(), QString::fromUtf16(s.searchText));
        EXPECT_EQ(controls[s.control]->KeyValue(), s.keyValue);
    }
}

TEST_F(LookupControlTest, TheSearchTextHoldsAtMostThirtyTwoCharacters) {
    klienci.AppendRecord({6, QString("Z") + QString(31, u'z')});
    klienci.AppendRecord({7, QString("Z") + QString(32, u'z')});
    ListCustomers(*control);
    TFixedTickCount ticks(1000);
    for (int i = 0; i < 32; ++i)
        control->SearchByTypedChar(u'z');
    EXPECT_EQ(control->SearchText().size(), 32);
    EXPECT_EQ(control->KeyValue(), 6);
    control->SearchByTypedChar(u'z');
    EXPECT_EQ(control->SearchText().size(), 32);
    EXPECT_EQ(control->KeyValue(), 6);
}

TEST_F(LookupControlTest, ASearchTheFieldCannotHoldGoesOnAndANumberFieldIsNotSearched) {
    ListCustomers(*control);
    control->SetListFieldName("SKROT");
    TFixedTickCount ticks(1000);
    for (QChar c : QStringLiteral("ada"))
        control->SearchByTypedChar(c);
    EXPECT_EQ(control->KeyValue(), 1);
    control->SearchByTypedChar(u'\x7f'); // DEL adds nothing, not even where the field is full
    EXPECT_EQ(control->SearchText(), "ada");
    control->SearchByTypedChar(u'm'); // four characters in a three-character field
    EXPECT_EQ(control->SearchText(), "adam");
    EXPECT_EQ(control->KeyValue(), 1);

    control->SetListFieldName("WIEK");
    control->SearchByTypedChar(u'\b');
    control->SearchByTypedChar(u'2');
    EXPECT_EQ(control->SearchText(), "adam");
    EXPECT_EQ(control->KeyValue(), 1);
}

TEST_F(LookupControlTest, NullValueKeyClearsTheBoundLookupFieldWithoutEvents) {
    control->SetDataSource(&zamowieniaSource);
    control->SetDataFieldName("KLIENT_NAZWA");
    LogChanges(*control);
    QList<Word> keys;
    control->OnKeyDown = [&keys](QObject*, Word& Key, TShiftState) { keys << Key; };
    control->SetFocus();
    ASSERT_TRUE(control->Focused());
    control->log.clear();

    // None set: Ctrl+Del is a key like any other.
    QTest::keyClick(control, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(keys, (QList<Word>{VK_CONTROL, VK_DELETE}));
    EXPECT_EQ(Klient(), 2);

    control->SetNullValueKey(ShortCut(VK_DELETE, {ssCtrl}));
    keys.clear();
    QTest::keyClick(control, Qt::Key_Delete);
    EXPECT_EQ(Klient(), 2);
    QTest::keyClick(control, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(keys, (QList<Word>{VK_DELETE, VK_CONTROL, 0}));
    EXPECT_TRUE(VarIsNull(Klient()));
    EXPECT_TRUE(VarIsNull(zamowienia.FieldByName("KLIENT_NAZWA")->Value()));
    EXPECT_TRUE(VarIsNull(control->KeyValue()));
    EXPECT_EQ(zamowienia.State(), dsEdit);
    EXPECT_TRUE(control->log.isEmpty()) << control->log.join("|").toStdString();

    // Read-only: nothing is cleared.
    zamowienia.Cancel();
    control->SetReadOnly(true);
    QTest::keyClick(control, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Klient(), 2);
    EXPECT_EQ(zamowienia.State(), dsBrowse);
}

TEST_F(LookupControlTest, AListDatasetLinkedToTheDataSourceIsRefused) {
    {
        SCOPED_TRACE("the same dataset");
        TDataSource again;
        again.SetDataSet(&zamowienia);
        control->SetDataSource(&zamowieniaSource);
        control->SetDataFieldName("KLIENT");
        control->SetListSource(&again);
        EXPECT_EQ(DatabaseErrorOf([&] { control->SetKeyFieldName("NR"); }),
                  "Circular datalinks are not allowed");
        EXPECT_FALSE(control->ListActive());
        EXPECT_EQ(control->ListKeyField(), nullptr);
        control->SetListSource(nullptr);
        control->SetKeyFieldName("");
    }
    {
        SCOPED_TRACE("the list dataset is the bound dataset's master");
        TMemoryDataSet pozycje;
        pozycje.FieldDefs().Add("KLIENT", ftInteger);
        pozycje.Open();
        pozycje.AppendRecord({3});
        pozycje.SetMasterFields("ID");
        pozycje.SetDetailFields("KLIENT");
        pozycje.SetMasterSource(&klienciSource);
        TDataSource pozycjeSource;
        pozycjeSource.SetDataSet(&pozycje);
        TTestLookup lookup;
        ListCustomers(lookup);
        lookup.SetDataSource(&pozycjeSource);
        EXPECT_EQ(DatabaseErrorOf([&] { lookup.SetDataFieldName("KLIENT"); }),
                  "Circular datalinks are not allowed");
        EXPECT_EQ(lookup.BoundField(), nullptr);
        EXPECT_EQ(lookup.MasterField(), nullptr);
    }
    {
        SCOPED_TRACE("the bound dataset made a detail of the lookup field's list afterwards");
        TTestLookup lookup;
        lookup.SetDataSource(&zamowieniaSource);
        lookup.SetDataFieldName("KLIENT_NAZWA");
        ASSERT_TRUE(lookup.ListActive());
        klienci.Locate("ID", 2);
        zamowienia.SetMasterFields("ID");
        zamowienia.SetDetailFields("KLIENT");
        zamowienia.SetMasterSource(&klienciSource);
        // A change of the fields' layout resolves the bound field again.
        EXPECT_EQ(DatabaseErrorOf([&] { zamowienia.FieldByName("NR")->SetDisplayWidth(5); }),
                  "Circular datalinks are not allowed");
        EXPECT_FALSE(lookup.LookupMode());
        EXPECT_EQ(lookup.MasterField(), nullptr);
        lookup.ChooseKeyValue(3);
        EXPECT_EQ(zamowienia.State(), dsBrowse);
        EXPECT_EQ(Klient(), 2);
        zamowienia.SetMasterSource(nullptr);
    }
    {
        SCOPED_TRACE("a lookup field on its own dataset, then a sound one");
        zamowienia.Close();
        AddLookup("POPRZEDNIE", "NR", &zamowienia);
        zamowienia.Open();
        zamowienia.First();
        TTestLookup lookup;
        lookup.SetDataSource(&zamowieniaSource);
        EXPECT_EQ(DatabaseErrorOf([&] { lookup.SetDataFieldName("POPRZEDNIE"); }),
                  "Circular datalinks are not allowed");
        EXPECT_FALSE(lookup.ListActive());
        EXPECT_EQ(DatabaseErrorOf([&] { lookup.SetDataFieldName("KLIENT_NAZWA"); }), "no error");
        EXPECT_TRUE(lookup.LookupMode());
        EXPECT_EQ(lookup.ListDataSet(), &klienci);
        EXPECT_TRUE(lookup.ListActive());
        EXPECT_EQ(lookup.KeyValue(), 2);
    }
}

TEST_F(LookupControlTest, FreedSourcesLeaveTheControlUnboundWithoutAnError) {
    auto orders = std::make_unique<TDataSource>();
    orders->SetDataSet(&zamowienia);
    auto customers = std::make_unique<TDataSource>();
    customers->SetDataSet(&klienci);
    control->SetListSource(customers.get());
    control->SetKeyFieldName("ID");
    control->SetDataSource(orders.get());
    control->SetDataFieldName("KLIENT");
    // Fixed, as in a grid of data controls: the removal detaches all the same.
    control->DataLink().SetDataSourceFixed(true);
    ASSERT_EQ(control->KeyValue(), 2);

    // The list source first, while the data source is still fixed.
    customers.reset();
    EXPECT_EQ(control->GetListSource(), nullptr);
    EXPECT_FALSE(control->ListActive());
    EXPECT_EQ(control->ListDataSet(), nullptr);
    orders.reset();
    EXPECT_EQ(control->DataSource(), nullptr);
    EXPECT_EQ(control->BoundField(), nullptr);
    EXPECT_TRUE(VarIsNull(control->KeyValue()));
}

TEST_F(LookupControlTest, FreeingTheLookupDatasetOrTheControlInLookupModeIsClean) {
    auto kraje = std::make_unique<TMemoryDataSet>();
    kraje->FieldDefs().Add("KOD", ftString, 2);
    kraje->FieldDefs().Add("NAZWA", ftString, 20);
    kraje->Open();
    kraje->AppendRecord({QString("PL"), QString("Polska")});
    TMemoryDataSet adresy;
    adresy.FieldDefs().Add("KRAJ", ftString, 2);
    adresy.AddField("KRAJ", ftString, 2);
    TField& nazwa = adresy.AddField("KRAJ_NAZWA", ftString, 20, fkLookup);
    nazwa.SetKeyFields("KRAJ");
    nazwa.SetLookupDataSet(kraje.get());
    nazwa.SetLookupKeyFields("KOD");
    nazwa.SetLookupResultField("NAZWA");
    adresy.Open();
    adresy.AppendRecord({QString("PL")});
    auto adresySource = std::make_unique<TDataSource>();
    adresySource->SetDataSet(&adresy);

    auto lookup = std::make_unique<TTestLookup>();
    lookup->SetDataSource(adresySource.get());
    lookup->SetDataFieldName("KRAJ_NAZWA");
    ASSERT_TRUE(lookup->ListActive());
    EXPECT_EQ(lookup->KeyValue(), QString("PL"));

    kraje.reset();
    EXPECT_FALSE(lookup->ListActive());
    EXPECT_EQ(lookup->ListDataSet(), nullptr);
    EXPECT_FALSE(lookup->IsValueEditable());
    adresy.Last();
    EXPECT_TRUE(VarIsNull(adresy.FieldByName("KRAJ_NAZWA")->Value()));

    // The control goes first, then its data source: neither reaches the other afterwards.
    lookup.reset();
    adresySource.reset();
    adresy.Close();
}

TEST_F(LookupControlTest, TheFocusEmptiesTheSearchAndTheBoundFieldsRequestIsAnswered) {
    ListCustomers(*control);
    QWidget elsewhere(&form);
    elsewhere.setFocusPolicy(Qt::StrongFocus);
    elsewhere.show();
    elsewhere.setFocus();
    TFixedTickCount ticks(1000);
    control->SearchByTypedChar(u'b');
    ASSERT_EQ(control->SearchText(), "b");
    control->SetFocus();
    EXPECT_TRUE(control->SearchText().isEmpty());
    control->SearchByTypedChar(u'b');
    elsewhere.setFocus();
    EXPECT_FALSE(control->Focused());
    EXPECT_EQ(control->SearchText(), "b");

    control->SetDataSource(&zamowieniaSource);
    control->SetDataFieldName("KLIENT");
    zamowienia.FieldByName("NR")->FocusControl();
    EXPECT_FALSE(control->Focused());
    zamowienia.FieldByName("KLIENT")->FocusControl();
    EXPECT_TRUE(control->Focused());
}

// Goes to the last record of a data source's dataset.
class LastRecordAction : public TBasicAction {
public:
    bool HandlesTarget(TComponent* target) override {
        return dynamic_cast<TDataSource*>(target) != nullptr;
    }
    void ExecuteTarget(TComponent* target) override {
        static_cast<TDataSource*>(target)->DataSet()->Last();
    }
    void UpdateTarget(TComponent*) override { ++updates; }
    int updates = 0;
};

TEST_F(LookupControlTest, ActionsAimedAtTheControlReachItsDataSource) {
    LastRecordAction action;
    EXPECT_FALSE(control->ExecuteAction(&action));
    control->SetDataSource(&zamowieniaSource);
    EXPECT_TRUE(control->ExecuteAction(&action));
    EXPECT_EQ(zamowienia.FieldByName("NR")->Value(), 2);
    EXPECT_TRUE(control->UpdateAction(&action));
    EXPECT_EQ(action.updates, 1);
}

} // namespace
