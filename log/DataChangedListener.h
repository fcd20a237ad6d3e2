#pragma once

// Receives the log's change broadcasts. Each operation is optional: the empty default means the
// listener does not answer it. The index is -1 when the whole window changed, 0 for a new sample
// at the front, otherwise the position of a deleted record.
class DataChangedListener {
public:
    virtual ~DataChangedListener() = default;
    virtual void dataChanged(int /*index*/) {}
    virtual void dataAdded(int /*index*/) {}
    virtual void dataDeleted(int /*index*/) {}
};
