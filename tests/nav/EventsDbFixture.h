#pragma once
// The events fixture with a fresh survey database open and the program's own
// writers and fix list in place: pokes go all the way to stored rows.
#include "EventsFixture.h"

#include "tests/store/StoreTestSupport.h"

#include "nav/GpsFixList.h"
#include "nav/EventWriters.h"
#include "store/RecordWriters.h"

#include <QVariant>

namespace eventstest {

class EventsDbFixture : public EventsFixture {
protected:
    void SetUp() override
    {
        EventsFixture::SetUp();
        ASSERT_TRUE(dir.isValid());
        velmar::store::CloseDB();
        velmar::store::SetBlankDatabaseTemplate(velmar::store::test::blankTemplate());
        velmar::store::setDbMessageSink(&sink);
        file = dir.filePath(QStringLiteral("survey.sqlite"));
        ASSERT_EQ(velmar::store::OpenDB(nullptr, file), velmar::store::kOpenDbOk);

        dispatch.ports.writers = RecentEventDispatch().ports.writers;
        server.hooks.writeWhistleEvent = [](const WHISTLEEVENT& e) { velmar::store::DbWriteWhistleEvent(e); };

        // The newest fix, stored and in the program's fix list.
        SetNewestFixSource({});
        velmar::nav::GpsFixData fix(SystemTime{2025, 3, 5, 14, 9, 25, 58, 0});
        fix.SetPosition(56.5 * 60, -6.25 * 60);
        ASSERT_TRUE(velmar::store::DbWriteGpsData(fix));
        gpsIndex = velmar::store::GetLastGpsIndex(&gpsTime);
        TheGpsFixList().Append(fix, gpsIndex, 0);
    }
    void TearDown() override
    {
        TheGpsFixList().Purge(0);
        velmar::store::CloseDB();
        velmar::store::setDbMessageSink(nullptr);
        EventsFixture::TearDown();
    }

    // One column of a table's newest row, as SQLite gives it.
    QString newest(const QString& table, const QString& column) const
    {
        velmar::store::test::DirectDb db(file);
        return db.rows(QStringLiteral("SELECT \"%1\" FROM \"%2\" ORDER BY \"Index\" DESC LIMIT 1").arg(column, table))
            .value(0, QStringLiteral("(no row)"));
    }
    int rowCount(const QString& table) const
    {
        velmar::store::test::DirectDb db(file);
        return db.rows(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table)).value(0).toInt();
    }

    QTemporaryDir dir;
    velmar::store::test::RecordingSink sink;
    QString file;
    int gpsIndex = 0;
    QString gpsTime;
};

} // namespace eventstest
