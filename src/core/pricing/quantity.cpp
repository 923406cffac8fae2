#include "core/pricing/quantity.h"

#include <QChar>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace pricing {

namespace {

// Far above any shop's package (1,000 t or 1,000 kL) and far below overflow of the unit price's
// arithmetic.
constexpr qint64 kMaxMilli = 1'000'000'000'000LL;
// The most digits a number in a size text may have.
constexpr int kMaxDigits = 12;
// The largest count a size text may state.
constexpr qint64 kMaxCount = 1'000'000;

// What a word of a size text is.
enum class Role {
    unit,       // a measuring unit: g, ml, m ...
    count,      // what is counted: 個, 枚, ロール ...; some also serve as container or suffix
    container,  // only after an amount: "500mlペット", "350ml缶"
    ignore,     // says nothing about the amount: 詰替用, 正味, ダブル, Mサイズ
    approx,     // makes the amount approximate: 約, 前後
};

struct Word {
    const char16_t* text;  // after NFKC, Latin in lower case
    Role role;
    Kind kind = Kind::count;
    qint64 milliPerUnit = 0;          // units: thousandths of g, ml or m in one unit
    const char16_t* shown = nullptr;  // counts: the word shown, when not the text itself
    // Counts: how much of an outer package the word names, for "10枚×3袋" (30 枚) and "160組×5箱"
    // (800 組): the result counts in the word of the lowest rank. 0 for an item.
    int outerRank = 0;
    bool afterAmount = false;  // may follow an amount as its container: "350ml缶", "400g入"
    bool afterCount = false;   // may follow a count as its package: "6本入", "2個組", "3個パック"
};

// The words of size texts: the units by their symbols and katakana names, and the spellings seen on shop
// lists; キロ is read as kilograms (shelf tags never state kilometres).
const std::vector<Word>& words()
{
    static const std::vector<Word> all {
        // Mass.
        {u"g", Role::unit, Kind::mass, 1'000},
        {u"グラム", Role::unit, Kind::mass, 1'000},
        {u"kg", Role::unit, Kind::mass, 1'000'000},
        {u"キログラム", Role::unit, Kind::mass, 1'000'000},
        {u"キロ", Role::unit, Kind::mass, 1'000'000},
        {u"mg", Role::unit, Kind::mass, 1},
        {u"ミリグラム", Role::unit, Kind::mass, 1},
        // Volume.
        {u"ml", Role::unit, Kind::volume, 1'000},
        {u"cc", Role::unit, Kind::volume, 1'000},
        {u"ミリリットル", Role::unit, Kind::volume, 1'000},
        {u"dl", Role::unit, Kind::volume, 100'000},
        {u"デシリットル", Role::unit, Kind::volume, 100'000},
        {u"l", Role::unit, Kind::volume, 1'000'000},
        {u"リットル", Role::unit, Kind::volume, 1'000'000},
        // Length.
        {u"m", Role::unit, Kind::length, 1'000},
        {u"メートル", Role::unit, Kind::length, 1'000},
        {u"cm", Role::unit, Kind::length, 10},
        {u"センチ", Role::unit, Kind::length, 10},
        {u"センチメートル", Role::unit, Kind::length, 10},
        {u"mm", Role::unit, Kind::length, 1},
        {u"ミリメートル", Role::unit, Kind::length, 1},
        // Items.
        {u"個", Role::count},
        {u"コ", Role::count, Kind::count, 0, u"個"},
        {u"ケ", Role::count, Kind::count, 0, u"個"},
        {u"枚", Role::count},
        {u"本", Role::count},
        {u"包", Role::count},
        {u"缶", Role::count, Kind::count, 0, nullptr, 0, true},
        {u"食", Role::count},
        {u"ロール", Role::count},
        {u"r", Role::count, Kind::count, 0, u"ロール"},
        {u"粒", Role::count},
        {u"錠", Role::count},
        {u"足", Role::count},
        {u"切", Role::count},
        {u"切れ", Role::count, Kind::count, 0, u"切"},
        {u"尾", Role::count},
        {u"玉", Role::count},
        {u"房", Role::count},
        {u"株", Role::count},
        {u"膳", Role::count},
        {u"巻", Role::count},
        {u"カプセル", Role::count},
        // A bare 入 ("10入") counts items.
        {u"入", Role::count, Kind::count, 0, u"個", 0, true, true},
        {u"入り", Role::count, Kind::count, 0, u"個", 0, true, true},
        // Packages, from the smallest.
        {u"組", Role::count, Kind::count, 0, nullptr, 1, false, true},
        {u"束", Role::count, Kind::count, 0, nullptr, 2},
        {u"セット", Role::count, Kind::count, 0, nullptr, 3, false, true},
        {u"パック", Role::count, Kind::count, 0, nullptr, 4, true, true},
        {u"p", Role::count, Kind::count, 0, u"P", 4},
        {u"袋", Role::count, Kind::count, 0, nullptr, 5, true},
        {u"箱", Role::count, Kind::count, 0, nullptr, 6, true},
        {u"ケース", Role::count, Kind::count, 0, nullptr, 7},
        // Containers after an amount.
        {u"瓶", Role::container},
        {u"びん", Role::container},
        {u"ボトル", Role::container},
        {u"ペット", Role::container},
        {u"ペットボトル", Role::container},
        {u"pet", Role::container},
        {u"カップ", Role::container},
        // Words that leave the amount as it is.
        {u"内容量", Role::ignore},
        {u"容量", Role::ignore},
        {u"正味", Role::ignore},
        {u"正味量", Role::ignore},
        {u"net", Role::ignore},
        {u"詰替", Role::ignore},
        {u"詰替用", Role::ignore},
        {u"詰替え", Role::ignore},
        {u"詰替え用", Role::ignore},
        {u"詰め替え", Role::ignore},
        {u"詰め替え用", Role::ignore},
        {u"つめかえ", Role::ignore},
        {u"つめかえ用", Role::ignore},
        {u"付替", Role::ignore},
        {u"付替用", Role::ignore},
        {u"付け替え", Role::ignore},
        {u"付け替え用", Role::ignore},
        {u"本体", Role::ignore},
        {u"大容量", Role::ignore},
        {u"徳用", Role::ignore},
        {u"お徳用", Role::ignore},
        {u"特大", Role::ignore},
        {u"ダブル", Role::ignore},
        {u"シングル", Role::ignore},
        // Grades of eggs and fruit: "Mサイズ 10個入", "L玉 6個".
        {u"ssサイズ", Role::ignore},
        {u"sサイズ", Role::ignore},
        {u"msサイズ", Role::ignore},
        {u"mサイズ", Role::ignore},
        {u"lサイズ", Role::ignore},
        {u"llサイズ", Role::ignore},
        {u"s玉", Role::ignore},
        {u"ms玉", Role::ignore},
        {u"m玉", Role::ignore},
        {u"l玉", Role::ignore},
        {u"ll玉", Role::ignore},
        // Approximate amounts.
        {u"約", Role::approx},
        {u"およそ", Role::approx},
        {u"前後", Role::approx},
        {u"程度", Role::approx},
        {u"位", Role::approx},
        {u"くらい", Role::approx},
        {u"ぐらい", Role::approx},
        {u"以上", Role::approx},
        {u"以下", Role::approx},
        {u"未満", Role::approx},
        {u"強", Role::approx},
        {u"弱", Role::approx},
        {u"目安", Role::approx},
        {u"平均", Role::approx},
    };
    return all;
}

// Counts that may stand after an amount without ×, as how many of it: "500ml 2本", "350ml 6缶".
// Not 個 or 玉: "2L 5玉" is five fruit of grade 2L.
bool countsContainers(const QString& word)
{
    static const QStringList containers {QStringLiteral("本"), QStringLiteral("缶"), QStringLiteral("袋"),
                                         QStringLiteral("パック"), QStringLiteral("P")};
    return containers.contains(word);
}

enum class TokenType { number, word, times, separator, range, plus, unknown };

struct Token {
    TokenType type;
    QString text;  // as written, after NFKC
    const Word* word = nullptr;
};

bool isTimes(QChar ch)
{
    return ch == u'×' || ch == u'x' || ch == u'X' || ch == u'*' || ch == u'✕' || ch == u'✖';
}

bool isSeparator(QChar ch)
{
    static const QString separators = QStringLiteral("()[]【】「」〔〕・:,、");
    return ch.isSpace() || separators.contains(ch);
}

bool isRange(QChar ch)
{
    return ch == u'~' || ch == u'〜' || ch == u'-' || ch == u'‐' || ch == u'–' || ch == u'—';
}

bool isDigit(QChar ch)
{
    return ch >= u'0' && ch <= u'9';
}

// The longest word of the vocabulary at `at` of `folded` (Latin in lower case), or none.
const Word* wordAt(const QString& folded, qsizetype at)
{
    static const std::vector<QString> texts = [] {
        std::vector<QString> out;
        for (const Word& word : words()) {
            out.push_back(QString::fromUtf16(word.text));
        }
        return out;
    }();
    const Word* best = nullptr;
    qsizetype bestLength = 0;
    const QStringView rest = QStringView(folded).mid(at);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts[i].size() > bestLength && rest.startsWith(texts[i])) {
            best = &words()[i];
            bestLength = texts[i].size();
        }
    }
    return best;
}

// Units, counts and containers: the words that name what a number is.
bool namesAmount(const Word& word)
{
    return word.role == Role::unit || word.role == Role::count || word.role == Role::container;
}

// Whether a unit, count or container word may stand here: right after a number, or after such a
// word ("6本入", "350ml缶"). Elsewhere its letters are part of an unknown word.
bool inPlace(const std::vector<Token>& tokens)
{
    if (tokens.empty()) {
        return false;
    }
    const Token& last = tokens.back();
    return last.type == TokenType::number || (last.type == TokenType::word && namesAmount(*last.word));
}

// Splits a size text (already NFKC) into tokens.
std::vector<Token> tokenize(const QString& text)
{
    const QString folded = text.toLower();
    std::vector<Token> tokens;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar ch = text.at(i);
        if (isDigit(ch)) {
            // Digits with the commas and points between them: "1,000", "1.5".
            qsizetype end = i + 1;
            while (end < text.size()
                   && (isDigit(text.at(end))
                       || ((text.at(end) == u',' || text.at(end) == u'.') && end + 1 < text.size()
                           && isDigit(text.at(end + 1))))) {
                ++end;
            }
            tokens.push_back({TokenType::number, text.mid(i, end - i)});
            i = end;
        } else if (const Word* word = wordAt(folded, i); word && (!namesAmount(*word) || inPlace(tokens))) {
            const qsizetype length = QString::fromUtf16(word->text).size();
            tokens.push_back({TokenType::word, text.mid(i, length), word});
            i += length;
        } else if (isTimes(ch)) {
            tokens.push_back({TokenType::times, QString(ch)});
            ++i;
        } else if (ch.isLetter()) {
            // An unknown word runs to the end of its letters: "ココア" is not コ (個) and ア.
            qsizetype end = i + 1;
            while (end < text.size() && text.at(end).isLetter()) {
                ++end;
            }
            tokens.push_back({TokenType::unknown, text.mid(i, end - i)});
            i = end;
        } else if (isSeparator(ch)) {
            tokens.push_back({TokenType::separator, QString(ch)});
            ++i;
        } else if (isRange(ch)) {
            tokens.push_back({TokenType::range, QString(ch)});
            ++i;
        } else if (ch == u'+') {
            tokens.push_back({TokenType::plus, QString(ch)});
            ++i;
        } else {
            tokens.push_back({TokenType::unknown, QString(ch)});
            ++i;
        }
    }
    return tokens;
}

// A number of a size text, exactly: mantissa / 10^decimals.
struct Number {
    qint64 mantissa = 0;
    int decimals = 0;
};

// Reads "500", "1,000", "1.5"; grouping commas must stand every three digits. Nothing for
// "1,5", "1.2.3" or more than kMaxDigits digits.
std::optional<Number> readNumber(const QString& text, bool* tooLong)
{
    const QStringList parts = text.split(u'.');
    if (parts.size() > 2) {
        return std::nullopt;
    }
    QString whole = parts.at(0);
    if (whole.contains(u',')) {
        const QStringList groups = whole.split(u',');
        for (qsizetype i = 0; i < groups.size(); ++i) {
            const qsizetype size = groups.at(i).size();
            if (i == 0 ? (size < 1 || size > 3) : size != 3) {
                return std::nullopt;
            }
        }
        whole.remove(u',');
    }
    const QString fraction = parts.size() == 2 ? parts.at(1) : QString();
    if (fraction.contains(u',')) {
        return std::nullopt;
    }
    QString digits = whole + fraction;
    while (digits.size() > 1 && digits.startsWith(u'0')) {
        digits.remove(0, 1);
    }
    if (digits.size() > kMaxDigits) {
        *tooLong = true;
        return std::nullopt;
    }
    return Number {digits.toLongLong(), static_cast<int>(fraction.size())};
}

qint64 powerOfTen(int exponent)
{
    qint64 power = 1;
    for (int i = 0; i < exponent; ++i) {
        power *= 10;
    }
    return power;
}

// One amount or count of a size text, with what joins it to the one before.
struct Term {
    enum class What { measure, count, bare };
    What what = What::bare;
    bool afterTimes = false;  // joined to the term before by ×; else only by space or nothing
    Number number;
    const Word* word = nullptr;  // the unit or the count word
    bool package = false;        // a count with 入, 組, セット or パック after it: the package's content
};

QString countWordShown(const Word& word)
{
    return QString::fromUtf16(word.shown ? word.shown : word.text);
}

// The notes. Short, for a line in the import's report and a tool tip.
QString noteEmpty()
{
    return QStringLiteral("規格が空です");
}
QString noteNoAmount()
{
    return QStringLiteral("量が書かれていません");
}
QString noteApprox()
{
    return QStringLiteral("量がおおよそです（約・前後など）");
}
QString noteRange()
{
    return QStringLiteral("量に幅があります");
}
QString notePlus()
{
    return QStringLiteral("足し算（増量など）は読みません");
}
QString noteUnknown(const QString& word)
{
    return QStringLiteral("読めない語があります（%1）").arg(word);
}
QString noteBadNumber(const QString& number)
{
    return QStringLiteral("数「%1」が読めません").arg(number);
}
QString noteTooBig()
{
    return QStringLiteral("量が大きすぎます");
}
QString noteTooFine()
{
    return QStringLiteral("量の桁が細かすぎます");
}
QString noteZero()
{
    return QStringLiteral("量が0です");
}
QString noteNotWhole()
{
    return QStringLiteral("数が整数ではありません");
}
QString noteBareNumber()
{
    return QStringLiteral("単位のない数があります");
}
QString noteUnitWithoutNumber()
{
    return QStringLiteral("数のない単位があります");
}
QString noteTwoAmounts()
{
    return QStringLiteral("量が2つ以上書かれています");
}
QString noteTwoCountWords()
{
    return QStringLiteral("数の単位が2つあります");
}
QString noteUnclear()
{
    return QStringLiteral("数と量の関係がわかりません");
}

QuantityReading refusal(const QString& note)
{
    return QuantityReading {std::nullopt, note};
}

// Groups the tokens into terms; the note of the first fault, or empty.
QString termsOf(const std::vector<Token>& tokens, std::vector<Term>* terms)
{
    bool pendingTimes = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (token.type == TokenType::separator || (token.type == TokenType::word && token.word->role == Role::ignore)) {
            continue;
        }
        if (token.type == TokenType::times) {
            if (terms->empty() || pendingTimes) {
                return noteUnclear();
            }
            pendingTimes = true;
            continue;
        }
        if (token.type != TokenType::number) {
            return noteUnitWithoutNumber();
        }
        Term term;
        term.afterTimes = pendingTimes;
        pendingTimes = false;
        bool tooLong = false;
        const auto number = readNumber(token.text, &tooLong);
        if (!number) {
            return tooLong ? noteTooBig() : noteBadNumber(token.text);
        }
        term.number = *number;
        const Token* next = i + 1 < tokens.size() ? &tokens[i + 1] : nullptr;
        if (next && next->type == TokenType::word && next->word->role == Role::unit) {
            term.what = Term::What::measure;
            term.word = next->word;
            ++i;
            // Its containers: "350ml缶", "400g入", "500mlPET".
            while (i + 1 < tokens.size() && tokens[i + 1].type == TokenType::word
                   && (tokens[i + 1].word->role == Role::container || tokens[i + 1].word->afterAmount)) {
                ++i;
            }
        } else if (next && next->type == TokenType::word && next->word->role == Role::count) {
            term.what = Term::What::count;
            term.word = next->word;
            ++i;
            // Its package word: "6本入", "2個組", "3個パック".
            if (i + 1 < tokens.size() && tokens[i + 1].type == TokenType::word && tokens[i + 1].word->afterCount) {
                term.package = true;
                ++i;
            }
        }
        terms->push_back(term);
    }
    if (pendingTimes) {
        return noteUnclear();
    }
    return {};
}

// The thousandths of a measure term; a note when it does not fit.
QString measureMilli(const Term& term, qint64* milli)
{
    const qint64 scaled = term.number.mantissa * term.word->milliPerUnit;
    const qint64 divisor = powerOfTen(term.number.decimals);
    if (scaled % divisor != 0) {
        return noteTooFine();
    }
    *milli = scaled / divisor;
    if (*milli > kMaxMilli) {
        return noteTooBig();
    }
    return {};
}

// The whole number of a count term; a note when it is none.
QString countValue(const Term& term, qint64* count)
{
    const qint64 divisor = powerOfTen(term.number.decimals);
    if (term.number.mantissa % divisor != 0) {
        return noteNotWhole();
    }
    *count = term.number.mantissa / divisor;
    if (*count > kMaxCount) {
        return noteTooBig();
    }
    return {};
}

QuantityReading quantityOfTerms(const std::vector<Term>& terms)
{
    if (terms.empty()) {
        return refusal(noteNoAmount());
    }
    std::vector<const Term*> measures;
    std::vector<const Term*> counts;  // with a word or bare
    bool bare = false;
    bool allTimes = true;
    for (std::size_t i = 0; i < terms.size(); ++i) {
        const Term& term = terms[i];
        (term.what == Term::What::measure ? measures : counts).push_back(&term);
        bare = bare || term.what == Term::What::bare;
        allTimes = allTimes && (i == 0 || term.afterTimes);
    }

    if (!allTimes) {
        // Only "500ml 2本": an amount and then how many of it, with no package word.
        const bool amountThenContainers = terms.size() == 2 && terms[0].what == Term::What::measure
            && terms[1].what == Term::What::count && !terms[1].package
            && countsContainers(countWordShown(*terms[1].word));
        if (!amountThenContainers) {
            if (measures.size() >= 2) {
                return refusal(noteTwoAmounts());
            }
            return refusal(bare ? noteBareNumber() : noteUnclear());
        }
    }
    if (bare && terms.size() == 1) {
        return refusal(noteBareNumber());
    }

    // A width before a length: "30cm×50m" is 50 m of film.
    if (measures.size() == 2 && measures[0]->word->kind == Kind::length && measures[1]->word->kind == Kind::length) {
        qint64 first = 0;
        qint64 second = 0;
        if (const QString note = measureMilli(*measures[0], &first); !note.isEmpty()) {
            return refusal(note);
        }
        if (const QString note = measureMilli(*measures[1], &second); !note.isEmpty()) {
            return refusal(note);
        }
        measures.erase(measures.begin() + (first <= second ? 0 : 1));
    }
    if (measures.size() >= 2) {
        return refusal(noteTwoAmounts());
    }

    Quantity quantity;
    qint64 total = kMilliPerUnit;
    if (measures.size() == 1) {
        quantity.kind = measures[0]->word->kind;
        if (const QString note = measureMilli(*measures[0], &total); !note.isEmpty()) {
            return refusal(note);
        }
    } else {
        // Counts only: the result counts in the innermost word.
        const Word* inner = nullptr;
        bool tie = false;
        for (const Term* count : counts) {
            if (!count->word) {
                continue;
            }
            if (!inner || count->word->outerRank < inner->outerRank) {
                inner = count->word;
                tie = false;
            } else if (count->word->outerRank == inner->outerRank
                       && countWordShown(*count->word) != countWordShown(*inner)) {
                tie = true;
            }
        }
        if (!inner) {
            return refusal(noteBareNumber());
        }
        if (tie) {
            return refusal(noteTwoCountWords());
        }
        quantity.kind = Kind::count;
        quantity.countWord = countWordShown(*inner);
    }
    for (const Term* count : counts) {
        qint64 value = 0;
        if (const QString note = countValue(*count, &value); !note.isEmpty()) {
            return refusal(note);
        }
        if (value != 0 && total > kMaxMilli / value) {
            return refusal(noteTooBig());
        }
        total *= value;
    }
    if (total == 0) {
        return refusal(noteZero());
    }
    quantity.milli = total;
    return QuantityReading {quantity, {}};
}

QString normalized(const QString& text)
{
    return text.normalized(QString::NormalizationForm_KC).trimmed();
}

}  // namespace

QuantityReading readQuantity(const QString& sizeText)
{
    const QString text = normalized(sizeText);
    if (text.isEmpty()) {
        return refusal(noteEmpty());
    }
    if (std::none_of(text.begin(), text.end(), isDigit)) {
        return refusal(noteNoAmount());
    }
    const std::vector<Token> tokens = tokenize(text);
    // The faults that make any reading wrong come first, in this order.
    const auto has = [&](auto predicate) { return std::any_of(tokens.begin(), tokens.end(), predicate); };
    if (has([](const Token& t) { return t.type == TokenType::word && t.word->role == Role::approx; })) {
        return refusal(noteApprox());
    }
    if (has([](const Token& t) { return t.type == TokenType::range; })) {
        return refusal(noteRange());
    }
    if (has([](const Token& t) { return t.type == TokenType::plus; })) {
        return refusal(notePlus());
    }
    for (const Token& token : tokens) {
        if (token.type == TokenType::unknown) {
            return refusal(noteUnknown(token.text));
        }
    }
    std::vector<Term> terms;
    if (const QString note = termsOf(tokens, &terms); !note.isEmpty()) {
        return refusal(note);
    }
    return quantityOfTerms(terms);
}

QuantityReading readQuantityColumns(const QString& amountText, const QString& unitText)
{
    const QString unit = normalized(unitText);
    if (unit.isEmpty()) {
        return readQuantity(amountText);
    }
    const QString amount = normalized(amountText);
    if (amount.isEmpty()) {
        return refusal(QStringLiteral("内容量が空です"));
    }
    const std::vector<Token> amountTokens = tokenize(amount);
    if (amountTokens.size() != 1 || amountTokens.front().type != TokenType::number) {
        return refusal(QStringLiteral("内容量「%1」が数ではありません").arg(amount));
    }
    // One unit or count word, a count word with its package word ("本入") at most. The unit is
    // read after the amount, where such words stand.
    const std::vector<Token> tokens
        = std::any_of(unit.begin(), unit.end(), isDigit) ? std::vector<Token> {} : tokenize(amount + unit);
    const auto isWord = [&](std::size_t i, Role role) {
        return i < tokens.size() && tokens[i].type == TokenType::word && tokens[i].word->role == role;
    };
    const bool oneWord = tokens.size() == 2 && (isWord(1, Role::unit) || isWord(1, Role::count));
    const bool countAndPackage = tokens.size() == 3 && isWord(1, Role::count) && tokens[2].type == TokenType::word
        && tokens[2].word->afterCount;
    if (!oneWord && !countAndPackage) {
        return refusal(QStringLiteral("単位「%1」が読めません").arg(unit));
    }
    return readQuantity(amount + unit);
}

QString milliText(qint64 milli)
{
    const qint64 whole = milli / kMilliPerUnit;
    const qint64 fraction = milli % kMilliPerUnit;
    QString text = QString::number(whole);
    if (fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(3, u'0');
        while (digits.endsWith(u'0')) {
            digits.chop(1);
        }
        text += u'.' + digits;
    }
    return text;
}

QString quantityText(const Quantity& quantity)
{
    constexpr qint64 kThousandUnits = 1000 * kMilliPerUnit;
    switch (quantity.kind) {
    case Kind::mass:
        if (quantity.milli >= kThousandUnits && quantity.milli % 1000 == 0) {
            return milliText(quantity.milli / 1000) + QStringLiteral("kg");
        }
        return milliText(quantity.milli) + QStringLiteral("g");
    case Kind::volume:
        if (quantity.milli >= kThousandUnits && quantity.milli % 1000 == 0) {
            return milliText(quantity.milli / 1000) + QStringLiteral("L");
        }
        return milliText(quantity.milli) + QStringLiteral("ml");
    case Kind::length:
        if (quantity.milli >= kMilliPerUnit) {
            return milliText(quantity.milli) + QStringLiteral("m");
        }
        return milliText(quantity.milli * 100) + QStringLiteral("cm");
    case Kind::count:
        return milliText(quantity.milli) + quantity.countWord;
    }
    return {};
}

}  // namespace pricing
