#pragma once

#include <QFont>

class QCoreApplication;
class QString;

namespace output {

// Maps the Windows face names that the sheet and the windows ask for ("ＭＳ 明朝",
// "ＭＳ Ｐゴシック", ...) to the Japanese fonts installed here: the IPA fonts, with Noto CJK
// as a fallback. Idempotent; call once the application object exists.
void installFontSubstitutions();

// The font for a face name a sheet or a window asks for. A Windows face that is not installed gets
// the installed fonts that stand in for it, by their own names, the best first: the same fonts as
// through the substitutions, but Qt is not sent looking for a family that is not there. That
// search asks fontconfig for a sorted list of every font (FcFontSort) for each script of the text
// shown, twice a face: some milliseconds before an editor first appears. Any other face as asked.
QFont faceFont(const QString& face);

// Loads Qt's own Japanese translations when the system locale is Japanese, so that the buttons
// of dialogs and message boxes follow the platform's language.
void installTranslations(QCoreApplication& app);

}  // namespace output
