#pragma once

class QCoreApplication;

namespace output {

// Maps the Windows face names that the sheet and the windows ask for ("ＭＳ 明朝",
// "ＭＳ Ｐゴシック", ...) to the Japanese fonts installed here: the IPA fonts, with Noto CJK
// as a fallback. Idempotent; call once the application object exists.
void installFontSubstitutions();

// Loads Qt's own Japanese translations when the system locale is Japanese, so that the buttons
// of dialogs and message boxes follow the platform's language.
void installTranslations(QCoreApplication& app);

}  // namespace output
