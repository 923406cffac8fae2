#include "desktop/dialogs/list_preview.h"

#include "core/productlist/list_sanity.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include <map>

namespace desktop {

using namespace productlist;

namespace {

// The access key of each column box: none shared with another control of the dialog.
QString withAccessKey(ListField field)
{
    static const std::map<ListField, char> keys {
        {ListField::jan, 'J'},          {ListField::maker, 'M'},    {ListField::productName, 'N'},
        {ListField::productName2, '2'}, {ListField::spec, 'K'},     {ListField::lot, 'L'},
        {ListField::price, 'V'},        {ListField::taxClass, 'Z'}, {ListField::taxBasis, 'Y'},
    };
    const auto it = keys.find(field);
    return it == keys.end() ? listFieldTitle(field)
                            : QStringLiteral("%1(&%2)").arg(listFieldTitle(field), QChar::fromLatin1(it->second));
}

}  // namespace

ListPreview::ListPreview(const QString& listPath, const QByteArray& bytes, const sheet::SheetFormat& fieldsFormat,
                         const sheet::SheetFormat& cleaningFormat, LayoutMemory* memory, QWidget* parent)
    : QWidget(parent), listPath_(listPath), bytes_(bytes), fieldsFormat_(fieldsFormat), cleaningFormat_(cleaningFormat),
      memory_(memory)
{
    setObjectName(QStringLiteral("listPreview"));
    buildControls();
    reread();
}

template<class T> T* ListPreview::named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    controls_.insert(name, widget);
    return widget;
}

void ListPreview::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    sourceLabel_ = named(new QLabel(this), QStringLiteral("sourceLabel"));
    sourceLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // These name the list and quote its texts: plain text, never markup.
    sourceLabel_->setTextFormat(Qt::PlainText);
    layout->addWidget(sourceLabel_);
    problemLabel_ = new QLabel(this);
    problemLabel_->setStyleSheet(QStringLiteral("color: #b00000"));
    problemLabel_->setWordWrap(true);
    problemLabel_->setTextFormat(Qt::PlainText);
    problemLabel_->hide();
    layout->addWidget(problemLabel_);
    rememberedLabel_ = named(new QLabel(this), QStringLiteral("rememberedLabel"));
    rememberedLabel_->setStyleSheet(QStringLiteral("color: #005000"));
    rememberedLabel_->setWordWrap(true);
    rememberedLabel_->hide();
    layout->addWidget(rememberedLabel_);

    auto* settings = new QHBoxLayout;
    layout->addLayout(settings);
    settings->addWidget(buildReadingBox());
    settings->addWidget(buildColumnsBox());
    settings->addWidget(buildPricesBox());
    // The list's own tax codes.
    taxCodesGroup_ = new QGroupBox(QStringLiteral("税コードの意味"), this);
    taxCodesForm_ = new QFormLayout(taxCodesGroup_);
    taxCodesGroup_->hide();
    settings->addWidget(taxCodesGroup_);

    mappingProblemLabel_ = named(new QLabel(this), QStringLiteral("mappingProblemLabel"));
    mappingProblemLabel_->setStyleSheet(QStringLiteral("color: #b00000"));
    mappingProblemLabel_->setWordWrap(true);
    mappingProblemLabel_->hide();
    layout->addWidget(mappingProblemLabel_);
    buildRows(layout);
}

QGroupBox* ListPreview::buildReadingBox()
{
    auto* reading = new QGroupBox(QStringLiteral("読み込み"), this);
    auto* readingForm = new QFormLayout(reading);
    encodingBox_ = named(new QComboBox(reading), QStringLiteral("encodingBox"));
    encodingBox_->addItem(QStringLiteral("自動"));
    for (Encoding encoding : allEncodings()) {
        encodingBox_->addItem(encodingName(encoding), int(encoding));
    }
    readingForm->addRow(QStringLiteral("文字コード(&E)"), encodingBox_);
    delimiterBox_ = named(new QComboBox(reading), QStringLiteral("delimiterBox"));
    delimiterBox_->addItem(QStringLiteral("自動"));
    for (char16_t delimiter : kDelimiters) {
        delimiterBox_->addItem(delimiterName(QChar(delimiter)), QChar(delimiter));
    }
    readingForm->addRow(QStringLiteral("区切り(&D)"), delimiterBox_);
    sheetBox_ = named(new QComboBox(reading), QStringLiteral("sheetBox"));
    readingForm->addRow(QStringLiteral("シート(&S)"), sheetBox_);
    headerBox_ = named(new QCheckBox(QStringLiteral("1行目は見出し(&H)"), reading), QStringLiteral("headerBox"));
    readingForm->addRow(headerBox_);
    connect(encodingBox_, &QComboBox::currentIndexChanged, this, [this] { reread(); });
    connect(delimiterBox_, &QComboBox::currentIndexChanged, this, [this] { reread(); });
    connect(sheetBox_, &QComboBox::currentIndexChanged, this, [this] { reread(); });
    connect(headerBox_, &QCheckBox::toggled, this, [this] { reread(); });
    return reading;
}

QGroupBox* ListPreview::buildColumnsBox()
{
    auto* columns = new QGroupBox(QStringLiteral("列の割り当て"), this);
    auto* columnsForm = new QFormLayout(columns);
    columnsForm_ = columnsForm;
    for (ListField field : listFieldsOf(fieldsFormat_)) {
        auto* box = named(new QComboBox(columns), QStringLiteral("map_") + listFieldKey(field));
        mapBoxes_.emplace_back(field, box);
        columnsForm->addRow(withAccessKey(field), box);
        connect(box, &QComboBox::currentIndexChanged, this, [this] { reclean(); });
    }
    noPriceBox_ = named(new QCheckBox(QStringLiteral("価格なしで作る(&0)"), columns), QStringLiteral("noPriceBox"));
    noPriceBox_->setToolTip(QStringLiteral("価格の列を使わず、価格のない棚札を作ります"));
    columnsForm->addRow(noPriceBox_);
    connect(noPriceBox_, &QCheckBox::toggled, this, [this] {
        showMappingProblem();
        emit changed();
    });
    return columns;
}

QGroupBox* ListPreview::buildPricesBox()
{
    auto* prices = new QGroupBox(QStringLiteral("価格と税"), this);
    auto* pricesForm = new QFormLayout(prices);
    priceBasisBox_ = named(new QComboBox(prices), QStringLiteral("priceBasisBox"));
    priceBasisBox_->addItem(QStringLiteral("税込み"), int(PriceBasis::includesTax));
    priceBasisBox_->addItem(QStringLiteral("税抜き (本体価格)"), int(PriceBasis::excludesTax));
    pricesForm->addRow(QStringLiteral("リストの価格(&P)"), priceBasisBox_);
    taxRateBox_ = named(new QComboBox(prices), QStringLiteral("taxRateBox"));
    taxRateBox_->addItem(QStringLiteral("10% (標準)"), kStandardRate);
    taxRateBox_->addItem(QStringLiteral("8% (軽減)"), kReducedRate);
    pricesForm->addRow(QStringLiteral("税率(&R)"), taxRateBox_);
    roundingBox_ = named(new QComboBox(prices), QStringLiteral("roundingBox"));
    for (Rounding rounding : allRoundings()) {
        roundingBox_->addItem(roundingTitle(rounding), int(rounding));
    }
    pricesForm->addRow(QStringLiteral("1円未満(&U)"), roundingBox_);
    auto* taxNote
        = new QLabel(QStringLiteral("税区分・内税外税の列があれば、その行の税率と税込み・税抜きを使います"), prices);
    taxNote->setWordWrap(true);
    pricesForm->addRow(taxNote);
    connect(priceBasisBox_, &QComboBox::currentIndexChanged, this, [this] { reclean(); });
    connect(taxRateBox_, &QComboBox::currentIndexChanged, this, [this] { reclean(); });
    connect(roundingBox_, &QComboBox::currentIndexChanged, this, [this] { reclean(); });
    return prices;
}

void ListPreview::buildRows(QVBoxLayout* layout)
{
    auto* filterRow = new QHBoxLayout;
    filterEdit_ = named(new QLineEdit(this), QStringLiteral("filterEdit"));
    filterEdit_->setPlaceholderText(QStringLiteral("商品名・コードで絞り込み"));
    filterEdit_->setClearButtonEnabled(true);
    auto* filterLabel = new QLabel(QStringLiteral("検索(&F)"), this);
    filterLabel->setBuddy(filterEdit_);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(filterEdit_, 1);
    auto* checkAll
        = named(new QPushButton(QStringLiteral("表示中をすべて選択(&G)"), this), QStringLiteral("checkAllButton"));
    auto* uncheckAll
        = named(new QPushButton(QStringLiteral("表示中をすべて解除(&X)"), this), QStringLiteral("uncheckAllButton"));
    checkAll->setAutoDefault(false);
    uncheckAll->setAutoDefault(false);
    filterRow->addWidget(checkAll);
    filterRow->addWidget(uncheckAll);
    layout->addLayout(filterRow);

    table_ = named(new QTableWidget(this), QStringLiteral("rowTable"));
    table_->setColumnCount(7);
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("使う"), QStringLiteral("ファイルの行"), QStringLiteral("JANコード"), QStringLiteral("商品名"),
         QStringLiteral("リストの価格"), QStringLiteral("棚札の価格"), QStringLiteral("メモ")});
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->horizontalHeader()->setStretchLastSection(true);
    auto* tableLabel = new QLabel(QStringLiteral("リストの行(&I)"), this);
    tableLabel->setBuddy(table_);
    layout->addWidget(tableLabel);
    layout->addWidget(table_, 1);

    connect(filterEdit_, &QLineEdit::textChanged, this, [this] { applyFilter(); });
    connect(checkAll, &QPushButton::clicked, this, [this] { checkVisibleRows(true); });
    connect(uncheckAll, &QPushButton::clicked, this, [this] { checkVisibleRows(false); });
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (updating_ || item->column() != kUseColumn) {
            return;
        }
        const int index = item->data(Qt::UserRole).toInt();
        if (index >= 0 && index < int(checked_.size())) {
            checked_[size_t(index)] = item->checkState() == Qt::Checked;
            emit changed();
        }
    });
}

ReadOptions ListPreview::readOptions() const
{
    ReadOptions options;
    if (encodingBox_->currentIndex() > 0) {
        options.encoding = Encoding(encodingBox_->currentData().toInt());
    }
    if (delimiterBox_->currentIndex() > 0) {
        options.delimiter = delimiterBox_->currentData().value<QChar>();
    }
    options.sheetName = sheetBox_->currentText();
    options.header = headerBox_->isChecked() ? HeaderMode::present : HeaderMode::absent;
    return options;
}

void ListPreview::reread()
{
    if (updating_) {
        return;
    }
    ReadOptions options = readOptions();
    // The first reading detects the header; later ones follow the check box.
    if (firstReading_) {
        options.header = HeaderMode::detect;
        firstReading_ = false;
    }
    list_ = readProductListData(bytes_, options);

    updating_ = true;
    {
        const QSignalBlocker blockSheets(sheetBox_);
        const QString current = sheetBox_->currentText();
        sheetBox_->clear();
        sheetBox_->addItems(list_.sheetNames);
        sheetBox_->setCurrentText(list_.ok ? list_.sheetName : current);
        sheetBox_->setEnabled(list_.kind != ListKind::text);
        encodingBox_->setEnabled(list_.kind == ListKind::text);
        delimiterBox_->setEnabled(list_.kind == ListKind::text);
        encodingBox_->setItemText(0,
                                  list_.kind == ListKind::text && list_.ok
                                      ? QStringLiteral("自動 (%1)").arg(encodingName(list_.encoding))
                                      : QStringLiteral("自動"));
        delimiterBox_->setItemText(0,
                                   list_.kind == ListKind::text && list_.ok
                                       ? QStringLiteral("自動 (%1)").arg(delimiterName(list_.delimiter))
                                       : QStringLiteral("自動"));
        const QSignalBlocker blockHeader(headerBox_);
        headerBox_->setChecked(list_.hasHeader);
    }

    QString source = QFileInfo(listPath_).fileName();
    if (list_.ok) {
        source += QStringLiteral(" — ") + jobs::listFacts(list_).join(QStringLiteral("、"));
    }
    sourceLabel_->setText(source);
    QStringList problems;
    if (!list_.ok) {
        problems << list_.error;
    }
    encodingProblem_.clear();
    if (list_.ok && list_.kind == ListKind::text) {
        const TextJudgement judged = judgeText(bytes_, list_.encoding);
        if (judged.verdict != TextVerdict::readable) {
            encodingProblem_ = judged.reason;
            problems << judged.reason;
        }
    }
    if (encodingProblem_.isEmpty()) {
        problems << jobs::listWarnings(list_, QStringLiteral("文字コードを選び直してください"));
    } else if (list_.truncated) {
        problems << QStringLiteral("%1行を超える分は読んでいません").arg(kMaxRows);
    }
    problemLabel_->setText(problems.join(u'\n'));
    problemLabel_->setVisible(!problems.isEmpty());

    const AutoMapping automatic = jobs::automaticMapping(list_, fieldsFormat_);
    fillMappingBoxes();
    fillTaxCodeBoxes(automatic.mapping);
    {
        const QSignalBlocker blockNoPrice(noPriceBox_);
        noPriceBox_->setChecked(false);
    }
    if (!applyRemembered()) {
        for (const auto& [field, box] : mapBoxes_) {
            box->setCurrentIndex(automatic.mapping.column(field) + 1);
        }
        if (automatic.priceBasis) {
            priceBasisBox_->setCurrentIndex(priceBasisBox_->findData(int(*automatic.priceBasis)));
        }
    }
    guessExtraColumns();
    rememberedLabel_->setVisible(openedRemembered_);
    // Rows read in what looks like the wrong encoding wait for the user's word.
    checked_.assign(list_.rows.size(), encodingProblem_.isEmpty());
    updating_ = false;
    reclean();
}

bool ListPreview::applyRemembered()
{
    // Only the list as it is first opened: a choice made in the dialog is not undone by it.
    if (!memory_ || openedRemembered_ || !list_.ok) {
        return false;
    }
    const auto remembered = rememberedChoices(*memory_, list_.columnTitles, list_.hasHeader);
    if (!remembered) {
        return false;
    }
    openedRemembered_ = true;
    rememberedLabel_->setText(
        QStringLiteral("このリストと同じ見出しのリストで前回選んだ設定 (列、税、端数%1) で開きました")
            .arg(list_.kind == ListKind::text ? QStringLiteral("、文字コード、区切り") : QString()));
    for (const auto& [field, box] : mapBoxes_) {
        box->setCurrentIndex(remembered->mapping.column(field) + 1);
    }
    noPriceBox_->setChecked(remembered->noPrice);
    priceBasisBox_->setCurrentIndex(priceBasisBox_->findData(int(remembered->tax.basis)));
    taxRateBox_->setCurrentIndex(taxRateBox_->findData(remembered->tax.ratePercent));
    roundingBox_->setCurrentIndex(roundingBox_->findData(int(remembered->tax.rounding)));
    for (const TaxCode& code : remembered->tax.codes) {
        for (const auto& [text, box] : taxCodeBoxes_) {
            if (text == code.code) {
                box->setCurrentIndex(box->findData(taxCodeMeaningKey(code.meaning)));
            }
        }
    }
    if (list_.kind == ListKind::text) {
        const int encoding = remembered->encoding ? encodingBox_->findData(int(*remembered->encoding)) : 0;
        const int delimiter = remembered->delimiter ? delimiterBox_->findData(*remembered->delimiter) : 0;
        const bool again = (remembered->encoding && *remembered->encoding != list_.encoding)
            || (remembered->delimiter && *remembered->delimiter != list_.delimiter);
        encodingBox_->setCurrentIndex(std::max(encoding, 0));
        delimiterBox_->setCurrentIndex(std::max(delimiter, 0));
        if (again) {
            // Read again as remembered, which applies the choices to the list as read then.
            updating_ = false;
            openedRemembered_ = false;
            reread();
            updating_ = true;
        }
    }
    return true;
}

void ListPreview::fillTaxCodeBoxes(const ColumnMapping& mapping)
{
    // The texts of the tax columns that mean nothing by themselves: the list's own codes.
    QStringList codes;
    for (const ListField field : {ListField::taxClass, ListField::taxBasis}) {
        const int column = mapping.column(field);
        for (const ListRow& row : list_.rows) {
            const QString text = row.cell(column).trimmed().normalized(QString::NormalizationForm_KC);
            if (column >= 0 && !text.isEmpty() && !parseTaxCell(text) && !codes.contains(text) && codes.size() < 20) {
                codes.append(text);
            }
        }
    }
    for (const auto& [code, box] : taxCodeBoxes_) {
        taxCodesForm_->removeRow(box);
        controls_.remove(QStringLiteral("taxCode_") + code);
    }
    taxCodeBoxes_.clear();
    for (const QString& code : codes) {
        auto* box = named(new QComboBox(taxCodesGroup_), QStringLiteral("taxCode_") + code);
        box->addItem(QStringLiteral("(分からない)"));
        for (const QString& key : taxCodeMeaningKeys()) {
            box->addItem(taxCodeMeaningTitle(key), key);
        }
        taxCodesForm_->addRow(QStringLiteral("「%1」").arg(code), box);
        taxCodeBoxes_.emplace_back(code, box);
        connect(box, &QComboBox::currentIndexChanged, this, [this] { reclean(); });
    }
    taxCodesGroup_->setVisible(!codes.isEmpty());
}

void ListPreview::fillColumnBox(QComboBox* box) const
{
    const QSignalBlocker block(box);
    box->clear();
    box->addItem(QStringLiteral("(なし)"));
    for (int column = 0; column < list_.columnCount(); ++column) {
        box->addItem(QStringLiteral("%1: %2").arg(column + 1).arg(list_.columnTitles.at(column)));
    }
}

void ListPreview::fillMappingBoxes()
{
    for (const auto& [field, box] : mapBoxes_) {
        fillColumnBox(box);
    }
    for (const auto& [key, box] : extraBoxes_) {
        fillColumnBox(box);
    }
}

void ListPreview::setExtraColumns(const std::vector<ExtraColumn>& columns, ExtraColumnsGuess guess)
{
    guessExtra_ = std::move(guess);
    for (const ExtraColumn& column : columns) {
        auto* box = named(new QComboBox(this), QStringLiteral("map_") + column.key);
        extraBoxes_.emplace_back(column.key, box);
        columnsForm_->addRow(column.label, box);
        fillColumnBox(box);
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            if (updating_) {
                return;
            }
            if (cleaningMapping_) {
                reclean();  // the dialog's cleaning may read this column
            } else {
                emit changed();
            }
        });
    }
    guessExtraColumns();
    emit changed();
}

void ListPreview::guessExtraColumns()
{
    if (!guessExtra_ || extraBoxes_.empty()) {
        return;
    }
    const std::vector<int> guessed = guessExtra_(list_, mappingFromBoxes());
    for (size_t i = 0; i < extraBoxes_.size(); ++i) {
        const QSignalBlocker block(extraBoxes_[i].second);
        extraBoxes_[i].second->setCurrentIndex(i < guessed.size() ? guessed[i] + 1 : 0);
    }
}

int ListPreview::extraColumn(const QString& key) const
{
    for (const auto& [name, box] : extraBoxes_) {
        if (name == key) {
            return box->currentIndex() - 1;
        }
    }
    return -1;
}

void ListPreview::setCleaningMapping(CleaningMapping mapping)
{
    cleaningMapping_ = std::move(mapping);
    reclean();
}

ColumnMapping ListPreview::mappingFromBoxes() const
{
    ColumnMapping mapping;
    for (const auto& [field, box] : mapBoxes_) {
        mapping.set(field, box->currentIndex() - 1);
    }
    return mapping;
}

TaxSettings ListPreview::taxFromBoxes() const
{
    TaxSettings tax;
    tax.basis = PriceBasis(priceBasisBox_->currentData().toInt());
    tax.ratePercent = taxRateBox_->currentData().toInt();
    tax.rounding = Rounding(roundingBox_->currentData().toInt());
    for (const auto& [code, box] : taxCodeBoxes_) {
        if (const auto meaning = taxCodeMeaningOfKey(box->currentData().toString())) {
            tax.codes.push_back(TaxCode {code, *meaning});
        }
    }
    return tax;
}

ListChoices ListPreview::listChoices() const
{
    ListChoices choices;
    choices.mapping = mappingFromBoxes();
    choices.noPrice = noPriceBox_->isChecked() && choices.mapping.column(ListField::price) < 0;
    choices.tax = taxFromBoxes();
    if (list_.kind == ListKind::text) {
        choices.encoding = list_.encoding;
        choices.delimiter = list_.delimiter;
    }
    return choices;
}

QString ListPreview::mappingProblem() const
{
    if (!list_.ok || mappingFromBoxes().column(ListField::price) >= 0 || noPriceBox_->isChecked()) {
        return {};
    }
    return noPriceColumnMessage(list_.columnTitles)
        + QStringLiteral("。「売価」で価格の列を選ぶか、価格のない棚札を作るときは「価格なしで作る」を選んでください");
}

void ListPreview::showMappingProblem()
{
    const QString problem = mappingProblem();
    mappingProblemLabel_->setText(problem);
    mappingProblemLabel_->setVisible(!problem.isEmpty());
    noPriceBox_->setVisible(mappingFromBoxes().column(ListField::price) < 0);
}

jobs::PreparedList ListPreview::prepared() const
{
    const ListChoices choices = listChoices();
    return {list_, choices.mapping, choices.tax, choices.noPrice, openedRemembered_};
}

bool ListPreview::rememberChoices(QString* problem) const
{
    return !memory_
        || productlist::rememberChoices(*memory_, list_.columnTitles, list_.hasHeader, listChoices(), problem);
}

void ListPreview::rememberChoicesOrWarn(Dialogs& dialogs, const QString& goingOn)
{
    if (QString problem; !rememberChoices(&problem)) {
        dialogs.message(this, QStringLiteral("このリストの設定を覚えられませんでした。%1\n%2").arg(goingOn, problem),
                        QStringLiteral("注意"), MessageIcon::warning, MessageButtons::ok);
    }
}

}  // namespace desktop
