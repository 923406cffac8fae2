#pragma once

// The print dialog of the 商品マスタ window, before the printer is chosen: which tags are printed
// (every tag that needs printing, or only the selected products' when the user says so here) and
// how many that is on the chosen paper, 「棚札 12 枚、シート 1 枚、タグ 7 から」. A selection in the
// table never narrows a print by itself: a product scanned into the search box is selected, and a
// clerk who then prints must still get the week's tags.
//
// A tag already in a print not yet confirmed (確認待ち) is left out, so that a second print on
// another PC, or after あとで, does not lay it twice; the tick 確認待ちの札も印刷する lays it again
// (a jammed sheet that nobody answered yet).

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace desktop {

// What one choice of the dialog prints.
struct PrintScopeCount {
    int products = 0;
    int tags = 0;
    int sheets = 0;
};

class CataloguePrintDialog : public QDialog {
    Q_OBJECT
public:
    // `paper` names the format ("大きい棚札 (24枚)"), `startTag` the first tag used on the first sheet.
    CataloguePrintDialog(const QString& paper, int startTag, const PrintScopeCount& needed,
                         const PrintScopeCount& selected, QWidget* parent = nullptr);

    // Offers the tick that lays again the tags of `pendingProducts` products held by prints not yet
    // confirmed, with what each choice prints then; without a call (or with none pending) the tick
    // is not shown.
    void offerAgain(int pendingProducts, const PrintScopeCount& neededAgain, const PrintScopeCount& selectedAgain);
    // Names what the print is for, above the paper: 「12/16(水) 特売開始の棚札」.
    void setPurpose(const QString& text);

    // Whether only the selected products are printed.
    bool selectedOnly() const;
    // Whether the tags held by prints not yet confirmed are laid again.
    bool again() const;
    // The text said for the choice as it stands.
    QString countText() const;

    // A control by object name: "allScope", "selectedScope", "againBox", "purposeLabel", "countLabel",
    // "printButton".
    template<class T> T* control(const QString& name) const { return findChild<T*>(name); }

private:
    void update();
    const PrintScopeCount& chosen() const;

    int startTag_ = 1;
    PrintScopeCount needed_;
    PrintScopeCount selected_;
    PrintScopeCount neededAgain_;
    PrintScopeCount selectedAgain_;
    QCheckBox* againBox_ = nullptr;
    QLabel* purposeLabel_ = nullptr;
    QRadioButton* allScope_ = nullptr;
    QRadioButton* selectedScope_ = nullptr;
    QLabel* countLabel_ = nullptr;
    QPushButton* printButton_ = nullptr;
};

}  // namespace desktop
