#pragma once

#include <QString>

// What went wrong in the store, in the two parts the log lines show.
struct StoreError {
    int code = 0;
    QString description;
    QString userInfo;

    bool isError() const { return code != 0; }
};
