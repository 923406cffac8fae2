#pragma once

// The module strings of two symbols as GS1's barcode rules draw them (their EAN-8 and EAN-13
// symbol figures), quiet zones included: what the encoding must give and the drawing must lay out.

#include <QString>

namespace test_support {

inline const QString kEan8Of12345670
    = QStringLiteral("0000000002020011001001001101111010100011030301001110101000010001001110010404000000000");
inline const QString kEan13Of4901234567894
    = QStringLiteral("00000000020200010110100111001100100100110100001001110103030100111010100001000100100100011101"
                     "001011100404000000000");

}  // namespace test_support
