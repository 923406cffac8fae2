#pragma once

// The barcode module: JAN (EAN-13 / EAN-8) normalisation, check digit and symbol encoding (the
// module string). Free functions; no state between calls. The bars are drawn by
// core/draw/draw_barcode.h.

#include <QString>
#include <QtGlobal>

namespace barcode {

// What normalizeJan (and draw::drawJanBarcode) made of a code.
enum class JanStatus : qint16 {
    ok = 0,               // normalised / drawn
    wrongCheckDigit = 1,  // the supplied check digit is wrong: nothing drawn
    notANumber = 2,       // a character read is not "0"-"9": nothing drawn
};

// The check digit (0-9) of the data digits of an EAN-13 (12) or EAN-8 (7): the rightmost data digit
// weighs 3, the next 1, and so on leftwards. A character that is not a digit counts as 0.
int checkDigitOf(QStringView dataDigits);

// Turns `code` (in place) into the data digits of an EAN-8 (7 digits) or EAN-13 (12 digits),
// sets `checkDigit` to the computed check digit and returns JanStatus::ok, wrongCheckDigit or
// notANumber. With notANumber the text is left as it was and `checkDigit` is 0.
JanStatus normalizeJan(QString& code, qint16& checkDigit);

// "LLLLLLL-GGGGGGG" of digit d (set A and set B); the text of 0 for values outside 1..9.
QString janDigitPatterns(qint16 d);
// Every "0" turned into "1" and every "1" into "0": the R-code from an L-code.
QString invertModules(const QString& modules);
// Six letters "O"/"E": the parities of EAN-13 digits 2..7 for leading digit d.
QString janParityLetters(qint16 d);
// Four letters per hexadecimal digit, most significant bit first, "E" for 1 and "O" for 0.
QString hexToParityLetters(const QString& hex);
// The module string (quiet zones included) of a full 8- or 13-digit number; an empty text for
// anything else.
QString janModuleString(const QString& fullNumber);

}  // namespace barcode
