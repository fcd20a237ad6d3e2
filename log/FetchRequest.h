#pragma once

#include <optional>

// A query over Event records: strict bounds on the creation date, one sort, an optional limit.
struct FetchRequest {
    std::optional<double> after;  // creationDate > after
    std::optional<double> before; // creationDate < before
    bool ascending = false;
    int limit = 0; // 0: no limit
};
