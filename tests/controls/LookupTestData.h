#pragma once

#include "controls/KDBLookupControl.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"

#include <QLatin1Char>
#include <QString>

// The data of the lookup controls' tests: a list of goods (key ID, NAZWA "Towar 001" on) and a
// bound dataset with one record whose KOD holds 5.
class LookupTestData {
protected:
    LookupTestData() {
        list.FieldDefs().Add(QStringLiteral("ID"), ftInteger);
        list.FieldDefs().Add(QStringLiteral("NAZWA"), ftString, 12);
        list.Open();
        listSource.SetDataSet(&list);
        bound.FieldDefs().Add(QStringLiteral("KOD"), ftInteger);
        bound.Open();
        bound.AppendRecord({5});
        boundSource.SetDataSet(&bound);
    }

    // Goods 1 to count, the list on the first.
    void Fill(int count) {
        for (int id = 1; id <= count; ++id)
            list.AppendRecord({id, QStringLiteral("Towar %1").arg(id, 3, 10, QLatin1Char('0'))});
        list.First();
    }
    // The control shows the goods by NAZWA and ID and writes the chosen ID into KOD.
    void Bind(TKDBLookupControl* control) {
        control->SetListSource(&listSource);
        control->SetKeyFieldName(QStringLiteral("ID"));
        control->SetListFieldName(QStringLiteral("NAZWA;ID"));
        control->SetDataSource(&boundSource);
        control->SetDataFieldName(QStringLiteral("KOD"));
    }
    int Kod() const { return bound.FieldByName(QStringLiteral("KOD"))->Value().toInt(); }

    TMemoryDataSet list;
    TMemoryDataSet bound;
    TDataSource listSource;
    TDataSource boundSource;
};
