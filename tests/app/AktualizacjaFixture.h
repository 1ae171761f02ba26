#pragma once

#include "app/Glowna.h"
#include "platform/gui/Application.h"
#include "tests/support/FakeServer.h"
#include "tests/support/ModalAnswerer.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

// A Qen database behind the fake server, as far as the update tool sees it: the version row of
// konfig_qz, the server-version function, and what the carried scripts' first and last batches
// do (refuse a database at another version; record the new version, kept only on commit).
class FakeQenDatabase {
public:
    explicit FakeQenDatabase(std::shared_ptr<FakeServer> server);

    // The stored version rows: one row with this value (a NULL when invalid) by default.
    QVariant version = QStringLiteral("24.1.4.0");
    int versionRows = 1;
    // Versions committed, in order.
    QStringList committed;
    // The script of this version fails in its batch holding `failText`.
    QString failingVersion;
    QString failText = QStringLiteral("IF OBJECT_ID(N'dbo.fn_WERSJA_MS_SQL') IS NOT NULL");
    // Runs once when a batch of this script is executed (to act in the middle of a run).
    std::function<void()> onFirstBatchOf;

private:
    std::shared_ptr<FakeServer> server_;
    QString running_; // the version whose script runs
    std::optional<QString> pending_;
};

// A logged-out main window on a fake server, with its own application object.
class GlownaTest : public ::testing::Test {
protected:
    GlownaTest();
    ~GlownaTest() override;

    // Types the login fields and presses "Loguj".
    void Login(const QString& server = QStringLiteral("srv"),
               const QString& database = QStringLiteral("db"));
    // Statements the tool sent, without the version reads and server-version queries.
    QStringList Statements() const;

    TApplication application;
    std::shared_ptr<FakeServer> server = FakeServer::Create();
    FakeQenDatabase database{server};
    std::unique_ptr<TfrmGlowna> form;
    ModalAnswerer answerer;
};

// The statements the tool sends around an update run, as the database receives them.
extern const QString kVersionQuery;
extern const QString kServerVersionQuery;
extern const QString kMarkTable;
extern const QString kMarkRow;
extern const QStringList kCarried;
