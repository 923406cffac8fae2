#pragma once

// The take-down of tags, as the 商品マスタ and 棚チェック windows both offer it: the checklist of
// the tags to take off the shelves, by shelf location, saved as a PDF or printed (a list of the
// catalogue's take-downs, or of the tags a shelf check found left up), and, in the 商品マスタ
// window, the record that they came down. The flow is core/jobs/catalogue_print.h
// (takedownNeeds, recordTakedowns), as `tanafuda-catalogue takedown [--done]` runs it.

#include "core/catalogue/catalogue.h"
#include "desktop/catalogue/catalogue_desk.h"
#include "desktop/dialogs/dialogs.h"

#include <QObject>
#include <QString>

#include <vector>

namespace desktop {

class TakedownControl : public QObject {
    Q_OBJECT
public:
    TakedownControl(CatalogueDesk desk, QObject* parent);

    // Offers the checklist of `listed`, titled `title` ("取り下げリスト 2026/12/10"), as a PDF file
    // or a print, asking with `countText` (its %1 the number of tags); nothing to take down is said.
    void offerChecklist(const std::vector<catalogue::TagNeed>& listed, const QString& title, const QString& countText);
    // The checklist of every tag the catalogue has to take down.
    void offerCataloguesChecklist();
    // Records the take-down of the tags of `selected` that are to come down, else of every listed
    // one, after asking.
    void recordDone(const std::vector<catalogue::TagNeed>& selected);

private:
    void saveChecklist(const std::vector<catalogue::TagNeed>& listed, const QString& title);
    void printChecklist(const std::vector<catalogue::TagNeed>& listed, const QString& title);

    CatalogueDesk desk_;
    FileDialogState pdfDialog_;
};

// Today as the checklists' titles show it: 2026/12/10.
QString checklistDay();

}  // namespace desktop
