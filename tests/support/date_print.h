#pragma once

// Lets GoogleTest print Qt dates and moments readably in failure messages (ISO 8601, the moment
// with its offset from UTC).

#include <QDate>
#include <QDateTime>

#include <ostream>

inline void PrintTo(const QDate& date, std::ostream* os)
{
    *os << (date.isValid() ? date.toString(Qt::ISODate).toStdString() : std::string("(invalid date)"));
}

inline void PrintTo(const QDateTime& moment, std::ostream* os)
{
    *os << (moment.isValid() ? moment.toString(Qt::ISODateWithMs).toStdString() : std::string("(invalid moment)"));
}
