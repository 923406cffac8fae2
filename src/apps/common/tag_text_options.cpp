#include "apps/common/tag_text_options.h"

#include "core/settings/tag_text_settings.h"

#include <algorithm>

namespace command_line {

namespace {

// The words of --tag-texts, and what each turns on.
struct TagTextWord {
    const char* word;
    bool sheet::TagTextChoices::*choice;
};

constexpr TagTextWord kWords[] = {
    {"unit", &sheet::TagTextChoices::unitPrice},
    {"taxfree", &sheet::TagTextChoices::taxExclusive},
    {"mark", &sheet::TagTextChoices::reducedRateMark},
};

QString wordList()
{
    QStringList words;
    for (const TagTextWord& w : kWords) {
        words << QLatin1String(w.word);
    }
    return words.join(QStringLiteral(", "));
}

}  // namespace

std::vector<OptionRow> tagTextRows()
{
    return {
        {{QStringLiteral("tag-texts")},
         QStringLiteral("show these texts beside each price, instead of those the settings file chooses: a comma "
                        "list of unit (unit price), taxfree (price without tax) and mark (reduced-rate mark)"),
         QStringLiteral("LIST")},
        {{QStringLiteral("no-tag-texts")}, QStringLiteral("show none of those texts, whatever the settings say"), {}},
    };
}

std::optional<QString> parseTagTextList(const QString& list, sheet::TagTextChoices& choices)
{
    sheet::TagTextChoices chosen = choices;
    for (const TagTextWord& w : kWords) {
        chosen.*w.choice = false;
    }
    bool any = false;
    for (const QString& part : list.split(u',')) {
        const QString word = part.trimmed();
        const auto known = std::find_if(std::begin(kWords), std::end(kWords),
                                        [&word](const TagTextWord& w) { return word == QLatin1String(w.word); });
        if (known == std::end(kWords)) {
            return QStringLiteral("--tag-texts takes %1, separated by commas (not \"%2\")").arg(wordList(), word);
        }
        chosen.*known->choice = true;
        any = true;
    }
    if (!any) {
        return QStringLiteral("--tag-texts takes %1, separated by commas").arg(wordList());
    }
    choices = chosen;
    return std::nullopt;
}

std::optional<QString> readTagTextOptions(const QCommandLineParser& parser, const settings::TagTextSettings& settings,
                                          const std::function<void(const QString&)>& warn,
                                          sheet::TagTextChoices& choices)
{
    const bool listed = parser.isSet(QStringLiteral("tag-texts"));
    const bool none = parser.isSet(QStringLiteral("no-tag-texts"));
    if (listed && none) {
        return QStringLiteral("choose one of --tag-texts and --no-tag-texts");
    }
    QStringList problems;
    sheet::TagTextChoices read = settings.tagTextChoices(&problems);
    if (listed) {
        if (auto problem = parseTagTextList(parser.value(QStringLiteral("tag-texts")), read)) {
            return problem;
        }
    } else if (none) {
        read.unitPrice = read.taxExclusive = read.reducedRateMark = false;
    }
    if (warn) {
        for (const QString& problem : problems) {
            warn(problem);
        }
    }
    choices = read;
    return std::nullopt;
}

}  // namespace command_line
