#include "EventCsvWriter.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(EventCsvWriter, StateTextsOfTheHistoryList) {
    EXPECT_EQ(EventCsvWriter::stateDescr(0), "State: Unknown");
    EXPECT_EQ(EventCsvWriter::stateDescr(1), "State: Running from Battery");
    EXPECT_EQ(EventCsvWriter::stateDescr(2), "State: Battery Charging");
    EXPECT_EQ(EventCsvWriter::stateDescr(3), "State: Battery Full");
    EXPECT_EQ(EventCsvWriter::stateDescr(5), "");
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
    // en_US short date and time: "12/8/25, 12:00 PM" (ICU puts a narrow no-break space before PM).
    EXPECT_TRUE(lines[1].startsWith("\"12/8/25, 12:00")) << qPrintable(lines[1]);
    EXPECT_TRUE(lines[1].endsWith("PM\",State: Battery Full,1.00")) << qPrintable(lines[1]);
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
