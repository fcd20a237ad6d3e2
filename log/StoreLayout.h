#pragma once

#include <QString>

// What a file at the log's path holds, found out read-only before anything writes to it, so a
// database that is not ours (another program's, or one from a newer version) is refused and
// left byte for byte instead of being converted or given our table.
class StoreLayout {
public:
    enum class Verdict {
        Missing,    // no file: the log may be created
        Empty,      // an SQLite file (or zero bytes) without tables: ours to set up
        Ours,       // our tables with our columns (of this layout or an older one)
        Foreign,    // other tables or other columns
        Newer,      // our table, written by a newer layout version
        Unreadable, // not a database, or it cannot be opened or read
    };

    struct Result {
        Verdict verdict = Verdict::Missing;
        QString reason; // for the refusals: what is wrong, in words for the user
        int sqliteCode = 0;
    };

    // The layout version this build writes and reads.
    static constexpr int Version = 2;

    static Result inspect(const QString& path);
    // The URI for a read-only connection. Without a write-ahead log beside the file no logger has
    // it open, and the file is opened as immutable: a read-only connection would otherwise create
    // the -wal and -shm files and leave them behind.
    static QByteArray readOnlyUri(const QString& path);
    static bool isUsable(Verdict verdict) {
        return verdict == Verdict::Missing || verdict == Verdict::Empty || verdict == Verdict::Ours;
    }
};
