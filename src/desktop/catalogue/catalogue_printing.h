// A window's print of catalogue tags, as the 商品マスタ and 棚チェック windows make it: the sheets
// printed on the printer the user chooses (calibrated as the settings file says) and recorded as
// pending, then the question whether they came out right.
#pragma once

#include "core/catalogue/catalogue.h"
#include "core/jobs/catalogue_print.h"
#include "desktop/dialogs/dialogs.h"
#include "output/settings_file.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QWidget;

namespace desktop {

// Prints `needs` as `request` asks on a printer chosen in the print dialog (`docName` names the
// job) and records the print; a calibration's warnings are added to `warnings`, and what the
// printed tags could not show is said in `leftOutTexts` as tanafuda-catalogue print says it
// (jobs::tagPagesLines: 「棚札 5: 単位価格は入りきらないため省きました」).
jobs::CataloguePrintResult printOnChosenPrinter(QWidget* parent, Dialogs& dialogs, const QString& docName,
                                                const output::SettingsFile& settings, catalogue::Catalogue& catalogue,
                                                const std::vector<catalogue::TagNeed>& needs,
                                                const jobs::CataloguePrintRequest& request, QString* warnings,
                                                QStringList* leftOutTexts);

// Says what became of a print that was not recorded: `nothingText` when there was nothing to
// print, a message box when the printer refused the sheets, `showError` when they came out but
// the catalogue could not record them; nothing when it was cancelled. True when it was recorded.
bool printWasRecorded(QWidget* parent, Dialogs& dialogs, const QString& title,
                      const jobs::CataloguePrintResult& printed, const QString& nothingText,
                      const std::function<void(const QString&)>& showError);

// What the user said of a print, and the text to show for it.
struct PrintAnswer {
    enum class Kind { confirmed, failed, later, refused };
    Kind kind = Kind::later;
    QString text;  // confirmed, failed: the note; refused: the error (decided elsewhere, or unreadable)
};

// Asks whether print `printId` came out right and records the answer. The question defaults to
// あとで: a hurried Enter must not confirm a print that may have jammed. A print another PC or
// program decided meanwhile is not decided again: the answer says what became of it. Right after
// the print, the question names the texts its tags could not show (`leftOutTexts`).
PrintAnswer askAboutPrint(QWidget* parent, Dialogs& dialogs, catalogue::Catalogue& catalogue, qint64 printId,
                          const QStringList& leftOutTexts = {});

// The confirmation question after a print: what it held, what its tags could not show, and
// whether it came out right.
QString printQuestionText(const catalogue::PrintInfo& print, const QStringList& leftOutTexts = {});

}  // namespace desktop
