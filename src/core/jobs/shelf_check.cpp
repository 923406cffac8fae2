#include "core/jobs/shelf_check.h"

#include "core/barcode/barcode.h"
#include "core/catalogue/catalogue_report.h"
#include "core/catalogue/rules/shelf_order.h"
#include "core/productlist/text_list.h"

#include <QSet>

#include <algorithm>

namespace jobs {

using catalogue::CheckEntry;
using catalogue::CheckPlace;
using catalogue::CheckVerdict;
using catalogue::TagNeed;

namespace {

bool allDigits(const QString& text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A field of a scanner's line without its surrounding spaces and double quotes.
QString unquoted(const QString& field)
{
    QString text = field.trimmed();
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"')) {
        text = text.mid(1, text.size() - 2).trimmed();
    }
    return text;
}

QString shownName(const catalogue::Product& product)
{
    return QStringLiteral("%1 %2 %3").arg(product.tag.maker, product.tag.productName, product.tag.spec).simplified();
}

// What differs between the tag a product should have and the one last confirmed for it.
QString fixText(const TagNeed& need)
{
    QStringList parts;
    if (need.kind == catalogue::NeedKind::newTag || !need.shelfTag) {
        parts << QStringLiteral("確認済みの印刷がない");
    } else {
        switch (catalogue::saleChangeOf(need)) {
        case catalogue::SaleChange::starts:
            parts << QStringLiteral("特売開始：特売札がない");
            break;
        case catalogue::SaleChange::ends:
            parts << QStringLiteral("特売終了：戻していない");
            break;
        case catalogue::SaleChange::changes:
            parts << QStringLiteral("特売の変更：前の特売の札");
            break;
        case catalogue::SaleChange::none:
            break;
        }
        parts << catalogue::report::tagFieldChanges(need);
    }
    QString text = parts.join(QStringLiteral("、"));
    if (need.pendingPrintId != 0) {
        text += QStringLiteral("（確認待ちの印刷 %1 あり）").arg(need.pendingPrintId);
    }
    return text;
}

// The entry of a product at `location` with `verdict`.
CheckEntry entryOf(const catalogue::Product& product, CheckVerdict verdict, const QString& location)
{
    CheckEntry entry;
    entry.verdict = verdict;
    entry.productId = product.id;
    entry.code = product.code;
    entry.location = location;
    entry.shelf = product.shelf;
    entry.name = shownName(product);
    entry.price = product.tag.price;
    entry.tagCount = std::max(1, product.tagCount);
    entry.listOrder = product.listOrder;
    return entry;
}

}  // namespace

ScannedCode readScannedCode(const QString& text)
{
    const QString code = text.normalized(QString::NormalizationForm_KC).trimmed();
    if (code.isEmpty()) {
        return {{}, QStringLiteral("コードがありません")};
    }
    if (!allDigits(code)) {
        return {{}, QStringLiteral("「%1」は JAN コード (数字) ではありません").arg(text.trimmed())};
    }
    if (code.size() == 12) {
        return {code + QChar(u'0' + barcode::checkDigitOf(code)), {}};
    }
    if (code.size() != 8 && code.size() != 13) {
        return {{}, QStringLiteral("「%1」は %2 桁です (JAN コードは 8 桁か 13 桁)").arg(code).arg(code.size())};
    }
    return {code, {}};
}

ScanListResult readScanList(const QByteArray& bytes)
{
    ScanListResult out;
    const productlist::DecodedText decoded = productlist::decodeText(bytes);
    QString text = decoded.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    const QStringList lines = text.split(u'\n');
    for (int number = 1; number <= int(lines.size()); ++number) {
        const QString line = lines[number - 1].trimmed();
        if (line.isEmpty()) {
            continue;
        }
        const QStringList fields = line.split(u',');
        const auto refuse = [&](const QString& why) {
            out.scans.clear();
            out.badLine = number;
            out.refusal = why;
            return out;
        };
        if (fields.size() > 2) {
            return refuse(QStringLiteral("「棚の位置,コード」か「コード」だけの行ではありません"));
        }
        ScanLine scan;
        scan.line = number;
        if (fields.size() == 2) {
            scan.location = unquoted(fields[0]);
            if (scan.location.isEmpty()) {
                return refuse(QStringLiteral("棚の位置が空です"));
            }
        }
        const ScannedCode code = readScannedCode(unquoted(fields.back()));
        if (!code.ok()) {
            return refuse(code.refusal);
        }
        scan.code = code.code;
        out.scans.push_back(std::move(scan));
    }
    return out;
}

ShelfCheck::ShelfCheck(std::vector<catalogue::TagNeed> needs, const CheckPlace& place, const catalogue::Moment& at,
                       ProductLookup lookup)
    : needs_(std::move(needs)), at_(at), lookup_(std::move(lookup)), places_ {place}, scansAt_ {0}
{
    for (size_t i = 0; i < needs_.size(); ++i) {
        const catalogue::Product& product = needs_[i].product;
        byCode_.insert(product.code, i);
        if (!product.tag.jan.isEmpty()) {
            byCode_.insert(product.tag.jan, i);
            // A JAN code kept without its check digit is scanned with it.
            if (const ScannedCode scanned = readScannedCode(product.tag.jan); scanned.ok()) {
                byCode_.insert(scanned.code, i);
            }
        }
    }
}

void ShelfCheck::moveTo(const CheckPlace& place)
{
    const auto same = [&](const CheckPlace& known) {
        return known.kind == place.kind && catalogue::sameLocation(known.first, place.first)
            && catalogue::sameLocation(known.last, place.last);
    };
    const auto found = std::find_if(places_.begin(), places_.end(), same);
    current_ = size_t(found - places_.begin());
    if (found == places_.end()) {
        places_.push_back(place);
        scansAt_.push_back(0);
    }
}

const TagNeed* ShelfCheck::needOf(const QString& code) const
{
    const auto found = byCode_.constFind(code);
    return found == byCode_.cend() ? nullptr : &needs_[*found];
}

bool ShelfCheck::looksFor(const TagNeed& need)
{
    return need.kind != catalogue::NeedKind::takeDown && need.product.active && !need.product.tag.jan.isEmpty();
}

CheckEntry ShelfCheck::judge(const QString& code, const TagNeed* need,
                             const std::optional<catalogue::Product>& found) const
{
    const CheckPlace& here = place();
    // Where the tag hangs: the location scanned at, else (a range, or everywhere) the product's own.
    const QString scannedAt = here.kind == CheckPlace::Kind::location ? here.first
        : found && here.contains(found->shelf)                        ? found->shelf
                                                                      : here.text();
    if (!found) {
        CheckEntry entry;
        entry.verdict = CheckVerdict::unknown;
        entry.code = code;
        entry.location = scannedAt;
        return entry;
    }
    if (!found->active) {
        CheckEntry entry = entryOf(*found, CheckVerdict::leftUp, scannedAt);
        entry.detail = QStringLiteral("取り扱い終了");
        return entry;
    }
    if (!here.contains(found->shelf)) {
        CheckEntry entry = entryOf(*found, CheckVerdict::outOfPlace, scannedAt);
        entry.detail = found->shelf.isEmpty() ? QStringLiteral("商品マスタに棚の位置がない")
                                              : QStringLiteral("商品マスタの棚 %1").arg(found->shelf);
        return entry;
    }
    if (need && need->kind == catalogue::NeedKind::upToDate) {
        return entryOf(*found, CheckVerdict::right, scannedAt);
    }
    CheckEntry entry = entryOf(*found, CheckVerdict::wrong, scannedAt);
    entry.detail = need ? fixText(*need) : QStringLiteral("確認済みの印刷がない");
    return entry;
}

ScanVerdict ShelfCheck::scan(const QString& code)
{
    ScanVerdict out;
    out.code = code;
    const TagNeed* need = needOf(code);
    if (need) {
        out.product = need->product;
    } else if (lookup_) {
        catalogue::Result looked;
        out.product = lookup_(code, &looked);
        if (!looked.ok() && looked.status != catalogue::Status::notFound) {
            out.failure = looked;
            return out;
        }
    }
    ++scans_;
    ++scansAt_[current_];
    const QString key = code + QChar(0x1F) + QString::number(current_);
    const int tagsOfIt = out.product ? std::max(1, out.product->tagCount) : 1;
    run_ = key == lastKey_ ? run_ + 1 : 1;
    lastKey_ = key;
    auto entry = entryOf_.find(key);
    if (entry == entryOf_.end()) {
        entry = entryOf_.insert(key, scanned_.size());
        scanned_.push_back({judge(code, need, out.product), current_});
    } else if (run_ > tagsOfIt) {
        out.counted = false;
    }
    CheckEntry& kept = scanned_[*entry].entry;
    if (out.counted) {
        ++kept.tags;
    }
    out.verdict = kept.verdict;
    out.detail = kept.detail;
    out.tags = kept.tags;
    return out;
}

catalogue::ShelfCheckRecord ShelfCheck::finish() const
{
    catalogue::ShelfCheckRecord record;
    record.at = at_;
    record.scans = scans_;
    const std::vector<const CheckPlace*> covered = coveredPlaces();
    QStringList placeTexts;
    for (const CheckPlace* place : covered) {
        placeTexts << place->text();
    }
    record.place = placeTexts.join(QStringLiteral("、"));
    const auto isCovered = [&](const QString& location) {
        return std::any_of(covered.begin(), covered.end(),
                           [&](const CheckPlace* place) { return place->contains(location); });
    };
    QSet<qint64> seen;
    for (const Scanned& scanned : scanned_) {
        record.entries.push_back(scanned.entry);
        if (scanned.entry.verdict == CheckVerdict::right || scanned.entry.verdict == CheckVerdict::wrong) {
            seen.insert(scanned.entry.productId);
        }
    }
    QSet<QString> locationKeys;
    const auto addLocation = [&](const QString& location) {
        const QString key = catalogue::naturalSortKey(location.trimmed());
        if (!key.isEmpty() && !locationKeys.contains(key)) {
            locationKeys.insert(key);
            record.locations << location.trimmed();
        }
    };
    for (const CheckPlace* place : covered) {
        if (place->kind == CheckPlace::Kind::location) {
            addLocation(place->first);
        }
    }
    for (const TagNeed& need : needs_) {
        if (!need.product.active || !isCovered(need.product.shelf)) {
            continue;
        }
        addLocation(need.product.shelf);
        if (!looksFor(need) || seen.contains(need.product.id)) {
            continue;
        }
        CheckEntry entry = entryOf(need.product, CheckVerdict::missing, need.product.shelf);
        if (need.kind != catalogue::NeedKind::upToDate) {
            entry.detail = fixText(need);
        }
        record.entries.push_back(std::move(entry));
    }
    std::sort(record.locations.begin(), record.locations.end(),
              [](const QString& a, const QString& b) { return catalogue::compareNaturally(a, b) < 0; });
    catalogue::sortCheckEntries(record.entries);
    return record;
}

std::vector<const CheckPlace*> ShelfCheck::coveredPlaces() const
{
    std::vector<const CheckPlace*> covered;
    for (size_t i = 0; i < places_.size(); ++i) {
        if (i == 0 || scansAt_[i] > 0) {
            covered.push_back(&places_[i]);
        }
    }
    return covered;
}

int ShelfCheck::productsWithoutCode() const
{
    const std::vector<const CheckPlace*> covered = coveredPlaces();
    int count = 0;
    for (const TagNeed& need : needs_) {
        const bool looked = std::any_of(covered.begin(), covered.end(),
                                        [&](const CheckPlace* place) { return place->contains(need.product.shelf); });
        count += looked && need.product.active && need.kind != catalogue::NeedKind::takeDown
            && need.product.tag.jan.isEmpty();
    }
    return count;
}

std::unique_ptr<ShelfCheck> startShelfCheck(const catalogue::Catalogue& catalogue, const CheckPlace& place,
                                            const catalogue::Moment& at, catalogue::Result* outcome)
{
    catalogue::Result read;
    std::vector<TagNeed> needs = catalogue.tagNeedsAt(at, true, &read);
    if (outcome) {
        *outcome = read;
    }
    if (!read.ok()) {
        return nullptr;
    }
    return std::make_unique<ShelfCheck>(std::move(needs), place, at,
                                        [&catalogue, at](const QString& code, catalogue::Result* looked) {
                                            return catalogue.productAt(code, at, looked);
                                        });
}

std::vector<TagNeed> needsToFix(const catalogue::Catalogue& catalogue, qint64 checkId, const catalogue::Moment& at,
                                catalogue::Result* outcome)
{
    const std::optional<catalogue::ShelfCheckRecord> check = catalogue.shelfCheck(checkId, outcome);
    if (!check) {
        return {};
    }
    QSet<qint64> wrong;
    QSet<qint64> missing;
    for (const CheckEntry& entry : check->entries) {
        if (entry.productId == 0) {
            continue;
        }
        if (entry.verdict == CheckVerdict::wrong) {
            wrong.insert(entry.productId);
        } else if (entry.verdict == CheckVerdict::missing) {
            missing.insert(entry.productId);
        }
    }
    std::vector<TagNeed> out;
    for (TagNeed& need : catalogue.tagNeedsAt(at, true, outcome)) {
        const bool printable = need.kind == catalogue::NeedKind::newTag || need.kind == catalogue::NeedKind::changed;
        if (missing.contains(need.product.id) && need.kind == catalogue::NeedKind::upToDate) {
            need.kind = catalogue::NeedKind::newTag;  // its tag is right, but not on the shelf
            out.push_back(std::move(need));
        } else if ((missing.contains(need.product.id) || wrong.contains(need.product.id)) && printable) {
            out.push_back(std::move(need));
        }
    }
    return out;
}

}  // namespace jobs
