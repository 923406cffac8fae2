#pragma once

// The print of catalogue tags and its confirmation, as the 商品マスタ and 棚チェック windows both
// make them: the paper and the start tag chosen in the window's boxes, the sheets printed on the
// printer the user chooses (calibrated as the settings file says) and recorded as pending, then the
// question whether they came out right. The flow is core/jobs/catalogue_print.h, the one
// tanafuda-catalogue print and confirm use.
//
// The question defaults to あとで: a hurried Enter must not confirm a print that may have jammed. A
// print another PC or program decided meanwhile is not decided again: the window's red line says
// what became of it (確認済み or 失敗). Right after a print, the question names what its tags could
// not show, in the words of tanafuda-catalogue print (jobs::tagPagesLines).

#include "core/catalogue/catalogue.h"
#include "core/settings/settings_store.h"
#include "core/sheet/tag_sheet.h"
#include "desktop/catalogue/catalogue_desk.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

class QBoxLayout;
class QComboBox;
class QLabel;
class QSpinBox;
class QWidget;

namespace desktop {

class PrintControl : public QObject {
    Q_OBJECT
public:
    // The paper boxes are made on `parent`; `laterNote` is said of a print left for later
    // (「印刷 %1 は確認待ちです。下の一覧からあとで確認できます」, %1 its number).
    PrintControl(CatalogueDesk desk, const settings::SettingsStore& settings, const QString& laterNote,
                 QWidget* parent);

    // Adds 用紙(&Y): [formatBox] 開始位置(&S): [startTagBox] to `row`.
    void addPaperTo(QBoxLayout* row);
    // The paper chosen: 0 large, 1 small.
    int formatIndex() const;
    const sheet::SheetFormat& format() const;
    int startTag() const;
    void setPaper(int formatIndex, int startTag);

    // The print dialog (every tag needed at `at`, or only `selected`'s when the user says so, and
    // the tick 確認待ちの札も印刷する), then the print and its question. `purpose` names the moment in
    // the dialog; without `selected`, the dialog offers no choice of products.
    void printNeeded(const catalogue::Moment& at, const std::vector<catalogue::TagNeed>& selected,
                     const QString& purpose);
    // Prints `needs` as they are for `at` and asks about the print; `nothingText` is said when
    // none of them is laid (all held by prints not yet confirmed).
    void printTags(const std::vector<catalogue::TagNeed>& needs, const catalogue::Moment& at,
                   const QString& nothingText);
    // Asks whether print `printId` came out right and records the answer; `leftOut` names what the
    // tags of a print just made could not show.
    void ask(qint64 printId, const QStringList& leftOut = {});

signals:
    // The paper or the start tag changed.
    void paperChanged();

private:
    void print(const std::vector<catalogue::TagNeed>& needs, const catalogue::Moment& at, bool again,
               const QString& nothingText);

    CatalogueDesk desk_;
    const settings::SettingsStore& settings_;
    QString laterNote_;
    QLabel* formatLabel_ = nullptr;
    QComboBox* formatBox_ = nullptr;
    QLabel* startLabel_ = nullptr;
    QSpinBox* startTagBox_ = nullptr;
};

// The question after a print: what it held, what its tags could not show, and whether it came
// out right.
QString printQuestionText(const catalogue::PrintInfo& print, const QStringList& leftOutTexts = {});

}  // namespace desktop
