#include "core/barcode/barcode.h"

#include <cmath>
#include <cstring>

namespace barcode {

namespace {

// Bar patterns of the digits 0-9 as "LLLLLLL-GGGGGGG": the number set A (odd parity, L-code) and
// the number set B (even parity, G-code) of the EAN/JAN symbology, "1" a dark and "0" a light
// module. The right-hand set C (R-code) is the L-code inverted.
constexpr const char* kDigitPatterns[10] = {
    "0001101-0100111", "0011001-0110011", "0010011-0011011", "0111101-0100001", "0100011-0011101",
    "0110001-0111001", "0101111-0000101", "0111011-0010001", "0110111-0001001", "0001011-0010111",
};
constexpr int kCodeWidth = 7;       // modules per digit
constexpr int kEvenCodeOffset = 8;  // where the G-code starts in a digit pattern

// Parities of the six left-hand digits of an EAN-13 by leading digit 0-9: two hexadecimal digits
// each, whose low six bits, most significant first, are 1 for set B (even) and 0 for set A (odd).
constexpr char16_t kParityTable[] = u"000B0D0E13191C15161A";

constexpr int kEan8Length = 8;
constexpr int kEan13Length = 13;
constexpr int kEan8DataDigits = 7;
constexpr int kEan13DataDigits = 12;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int digitAt(const QString& s, qsizetype i)
{
    return s.at(i).unicode() - u'0';
}

// Value of one hexadecimal digit, either case; -1 for any other character.
int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    return -1;
}

// The module strings of the digits, prepared once as UTF-16 so that a symbol is assembled by
// copying: the L-code, the G-code and the R-code (the L-code inverted) of each digit 0-9.
struct DigitCodes {
    char16_t l[10][kCodeWidth];
    char16_t g[10][kCodeWidth];
    char16_t r[10][kCodeWidth];
};

constexpr DigitCodes makeDigitCodes()
{
    DigitCodes codes {};
    for (int d = 0; d < 10; ++d) {
        for (int i = 0; i < kCodeWidth; ++i) {
            const char l = kDigitPatterns[d][i];
            codes.l[d][i] = char16_t(l);
            codes.g[d][i] = char16_t(kDigitPatterns[d][kEvenCodeOffset + i]);
            codes.r[d][i] = l == '0' ? u'1' : u'0';
        }
    }
    return codes;
}
constexpr DigitCodes kDigitCodes = makeDigitCodes();

constexpr int hexValueOf(char16_t u)
{
    return u <= u'9' ? u - u'0' : u - u'A' + 10;
}

// For each leading digit of an EAN-13, whether digits 2..7 take the G-code (set B).
struct LeftParities {
    bool even[10][6];
};

constexpr LeftParities makeLeftParities()
{
    LeftParities parities {};
    for (int d = 0; d < 10; ++d) {
        const int bits = (hexValueOf(kParityTable[2 * d]) * 16 + hexValueOf(kParityTable[2 * d + 1])) & 0x3F;
        for (int i = 0; i < 6; ++i) {
            parities.even[d][i] = (bits >> (5 - i)) & 1;
        }
    }
    return parities;
}
constexpr LeftParities kLeftParities = makeLeftParities();

// Quiet zone and start guard; end guard and quiet zone.
constexpr char16_t kSymbolStart[] = u"000000000202";
constexpr char16_t kSymbolEnd[] = u"404000000000";
constexpr int kSymbolEdge = 12;
constexpr char16_t kCentre[] = u"03030";
constexpr int kCentreWidth = 5;

char16_t* put(char16_t* out, const char16_t* modules, int count)
{
    std::memcpy(out, modules, size_t(count) * sizeof(char16_t));
    return out + count;
}

}  // namespace

int checkDigitOf(QStringView dataDigits)
{
    int sum = 0;
    const qsizetype width = dataDigits.size();
    for (qsizetype i = 0; i < width; ++i) {
        const QChar ch = dataDigits.at(i);
        const int digit = ch >= u'0' && ch <= u'9' ? ch.unicode() - u'0' : 0;
        sum += ((width - i) % 2 == 1 ? 3 : 1) * digit;
    }
    return (10 - sum % 10) % 10;
}

JanStatus normalizeJan(QString& code, qint16& checkDigit)
{
    const qsizetype n = code.size();
    checkDigit = 0;

    qsizetype dataLength;  // characters of the text that are data digits
    qsizetype width;       // data digits of the symbology
    bool checkSupplied = false;
    if (n <= kEan8DataDigits) {
        dataLength = n;
        width = kEan8DataDigits;
    } else if (n == kEan8Length) {
        dataLength = kEan8DataDigits;
        width = kEan8DataDigits;
        checkSupplied = true;
    } else if (n < kEan13Length) {
        dataLength = n;
        width = kEan13DataDigits;
    } else {
        dataLength = kEan13DataDigits;
        width = kEan13DataDigits;
        checkSupplied = n == kEan13Length;
    }

    // Every character read must be a digit; otherwise there is no number and the text is left
    // as it was.
    for (qsizetype i = 0; i < dataLength; ++i) {
        if (!isDigit(code.at(i))) {
            return JanStatus::notANumber;
        }
    }
    if (checkSupplied && !isDigit(code.at(n - 1))) {
        return JanStatus::notANumber;
    }
    const int supplied = checkSupplied ? digitAt(code, n - 1) : -1;

    QString data = code.left(dataLength);
    if (data.size() < width) {
        data.prepend(QString(width - data.size(), u'0'));
    }

    checkDigit = static_cast<qint16>(checkDigitOf(data));
    code = data;
    return supplied != -1 && supplied != checkDigit ? JanStatus::wrongCheckDigit : JanStatus::ok;
}

QString janDigitPatterns(qint16 d)
{
    const int digit = d >= 1 && d <= 9 ? d : 0;
    return QString::fromLatin1(kDigitPatterns[digit]);
}

QString invertModules(const QString& modules)
{
    QString out = modules;
    for (QChar& c : out) {
        if (c == u'0') {
            c = u'1';
        } else if (c == u'1') {
            c = u'0';
        }
    }
    return out;
}

QString hexToParityLetters(const QString& hex)
{
    QString out;
    out.reserve(hex.size() * 4);
    for (const QChar c : hex) {
        const int value = hexValue(c);
        for (int bit = 3; bit >= 0; --bit) {
            out.append(value > 0 && (value >> bit) & 1 ? u'E' : u'O');
        }
    }
    return out;
}

QString janParityLetters(qint16 d)
{
    const int digit = d >= 0 && d <= 9 ? d : 0;
    const QString pair = QString::fromUtf16(kParityTable + 2 * digit, 2);
    return hexToParityLetters(pair).right(6);
}

QString janModuleString(const QString& fullNumber)
{
    const qsizetype n = fullNumber.size();
    if (n != kEan8Length && n != kEan13Length) {
        return {};
    }
    int digits[kEan13Length];
    const char16_t* in = reinterpret_cast<const char16_t*>(fullNumber.utf16());
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned d = unsigned(in[i]) - u'0';
        if (d > 9) {
            return {};
        }
        digits[i] = int(d);
    }

    const int halfDigits = n == kEan8Length ? 4 : 6;
    const int symbolWidth = 2 * kSymbolEdge + 2 * halfDigits * kCodeWidth + kCentreWidth;
    QString modules(symbolWidth, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(modules.data());
    out = put(out, kSymbolStart, kSymbolEdge);
    if (n == kEan8Length) {
        for (int i = 0; i < 4; ++i) {
            out = put(out, kDigitCodes.l[digits[i]], kCodeWidth);
        }
    } else {
        const bool* even = kLeftParities.even[digits[0]];
        for (int i = 1; i < 7; ++i) {
            out = put(out, even[i - 1] ? kDigitCodes.g[digits[i]] : kDigitCodes.l[digits[i]], kCodeWidth);
        }
    }
    out = put(out, kCentre, kCentreWidth);
    for (qsizetype i = n - halfDigits; i < n; ++i) {
        out = put(out, kDigitCodes.r[digits[i]], kCodeWidth);
    }
    put(out, kSymbolEnd, kSymbolEdge);
    return modules;
}

}  // namespace barcode
