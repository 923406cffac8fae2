#pragma once

// The options that say which extra texts the tags show (--tag-texts unit,taxfree,mark and
// --no-tag-texts), shared by tanafuda-render, tanafuda-import and tanafuda-catalogue print. Without
// them the programs follow the settings file's [tag-texts], as the windows do.

#include "apps/common/option_table.h"
#include "core/sheet/tag_sheet.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace settings {
class TagTextSettings;
}

namespace command_line {

// --tag-texts LIST, --no-tag-texts.
std::vector<OptionRow> tagTextRows();

// Which texts `list` ("unit,taxfree,mark") turns on in `choices` (the others off); the usage
// problem when it names another or none.
std::optional<QString> parseTagTextList(const QString& list, sheet::TagTextChoices& choices);

// The choices of `settings` with the options given over them: --tag-texts sets which texts are
// shown, --no-tag-texts shows none; the mark, the unit base and the sheets' rate stay the
// settings'. A settings value that is not used is told to `warn`. The usage problem when the
// options are wrong.
std::optional<QString> readTagTextOptions(const QCommandLineParser& parser, const settings::TagTextSettings& settings,
                                          const std::function<void(const QString&)>& warn,
                                          sheet::TagTextChoices& choices);

}  // namespace command_line
