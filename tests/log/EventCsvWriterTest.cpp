#include "EventCsvWriter.h"
#include "EventStateText.h"

#include <QLocale>
#include <QStringList>

#include <ctime>

#include <gtest/gtest.h>

TEST(EventStateText, TheHistoryAndTheStatisticsNameEachState) {
    const QStringList history = {"State: Unknown", "State: Running from Battery",
                                 "State: Battery Charging", "State: Battery Full"};
    const QStringList statistics = {"Unknown", "on battery", "plugged in", "fully charged"};
    for (int state = 0; state < 4; ++state) {
        EXPECT_EQ(EventStateText::history(state), history[state]);
        EXPECT_EQ(EventStateText::statistics(state), statistics[state]);
    }
    EXPECT_EQ(EventStateText::history(5), "");
    EXPECT_EQ(EventStateText::statistics(-1), "");
}

TEST(EventCsvWriter, RowsQuoteTheLocaleDateAndKeepTwoDecimals) {
    const EventCsvWriter writer;
    QString out = EventCsvWriter::Header;
    writer.appendRow(out, Event{1, 1765195200.0, 1.0f, 3}); // 2025-12-08 12:00 UTC
    writer.appendRow(out, Event{2, 1765195200.0, -1.0f, 5});
    writer.appendRow(out, Event{3, 1765195200.0, 0.855f, 1});
    const QStringList lines = out.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "Time,State,Level");
    // en_US short date and time: ICU puts a narrow no-break space before PM, written as a space.
    EXPECT_EQ(lines[1], "\"12/8/25, 12:00 PM\",State: Battery Full,1.00");
    EXPECT_TRUE(lines[2].endsWith(",,-1.00")) << "unknown state and level";
    // The stored single-precision 0.855 lies just above 0.855, so it rounds up; a level taken
    // through another precision or truncated would show 0.85.
    EXPECT_TRUE(lines[3].endsWith(",State: Running from Battery,0.86")) << qPrintable(lines[3]);
    EXPECT_EQ(lines[4], "");
}

TEST(EventCsvWriter, QuotingFollowsTheCsvRules) {
    EXPECT_EQ(EventCsvWriter::quoteField("plain"), "plain");
    EXPECT_EQ(EventCsvWriter::quoteField("a,b"), "\"a,b\"");
    EXPECT_EQ(EventCsvWriter::quoteField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(EventCsvWriter::quoteField("two\nlines"), "\"two\nlines\"");
}

TEST(EventCsvWriter, IsoRowsAreTheSameInEveryLocale) {
    const auto rows = [] {
        const EventCsvWriter writer(EventCsvWriter::Format::Iso);
        QString out = EventCsvWriter::IsoHeader;
        // 12:00:59.9 stays in its second; a rounded time would move it to the next minute.
        writer.appendRow(out, Event{1, 1765195259.9, 0.855f, 1});
        writer.appendRow(out, Event{2, 1765195200.0, 1.0f, 3});
        writer.appendRow(out, Event{3, 1765195200.0, -1.0f, 2});
        return out;
    };
    const QString expected = "time,state,level_percent\n"
                             "2025-12-08T12:00:59Z,discharging,85.50\n"
                             "2025-12-08T12:00:00Z,full,100.00\n"
                             "2025-12-08T12:00:00Z,charging,\n";
    EXPECT_EQ(rows(), expected);
    const QByteArray oldTz = qgetenv("TZ");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    qputenv("TZ", "Asia/Kolkata");
    tzset();
    EXPECT_EQ(rows(), expected) << "German locale, UTC+5:30";
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    qputenv("TZ", oldTz);
    tzset();
}
