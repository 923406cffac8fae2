#include "core/pricing/yen_text.h"

namespace pricing {

QString groupedYen(qint64 yen)
{
    QString digits = QString::number(yen);
    QString out;
    if (digits.startsWith(u'-')) {
        out += u'-';
        digits.remove(0, 1);
    }
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            out += u',';
        }
        out += digits.at(i);
    }
    return out;
}

QString tenthsOfYenText(qint64 tenths)
{
    QString text = groupedYen(tenths / 10);
    if (tenths % 10 != 0) {
        text += u'.' + QString::number(tenths % 10);
    }
    return text;
}

}  // namespace pricing
