#pragma once

// Runs part of a test under another local time zone: the guard sets TZ (and calls tzset, so the C
// library and Qt's local time follow it) for its lifetime and puts back what was there before.

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

namespace test_support {

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) : wasSet_(qEnvironmentVariableIsSet("TZ")), previous_(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (wasSet_) {
            qputenv("TZ", previous_);
        } else {
            qunsetenv("TZ");
        }
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    bool wasSet_;
    QByteArray previous_;
};

}  // namespace test_support
