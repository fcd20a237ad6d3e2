#pragma once

#include <QObject>
#include <QThread>

// Objects that belong to one thread say so at their entry points; a debug build stops at the
// first call from another thread instead of racing silently.
#define AMPELIO_ASSERT_OWN_THREAD(object)                                                          \
    Q_ASSERT_X((object)->thread() == QThread::currentThread(), Q_FUNC_INFO,                        \
               "called from a thread that does not own the object")
