#include "apps/common/list_options.h"

#include "core/productlist/column_mapping.h"
#include "core/productlist/register_profiles.h"
#include "core/productlist/tax.h"

#include <QFileInfo>

namespace command_line {

using namespace productlist;

namespace {

QStringList mapKeys(const QStringList& otherMapKeys)
{
    QStringList keys;
    for (const ListField field : allListFields()) {
        keys << listFieldKey(field);
    }
    return keys + otherMapKeys;
}

}  // namespace

std::vector<OptionRow> listOptionRows(const QStringList& otherMapKeys, const QString& mapNote)
{
    return {
        {{QStringLiteral("sheet")},
         QStringLiteral("workbooks: the sheet to read (default the first)"),
         QStringLiteral("NAME")},
        {{QStringLiteral("encoding")},
         QStringLiteral("text lists: utf-8, utf-16le, utf-16be or cp932 (default: detected)"),
         QStringLiteral("E")},
        {{QStringLiteral("delimiter")},
         QStringLiteral("text lists: comma, tab or semicolon (default: detected)"),
         QStringLiteral("D")},
        {{QStringLiteral("no-header")}, QStringLiteral("the first row is a product, not a header"), {}},
        {{QStringLiteral("map")},
         QStringLiteral("take FIELD (%1) from COLUMN, a header title or a number from 1; empty COLUMN: not from the "
                        "list%2")
             .arg(mapKeys(otherMapKeys).join(QStringLiteral(", ")), mapNote),
         QStringLiteral("FIELD=COLUMN")},
        {{QStringLiteral("price-includes-tax")}, QStringLiteral("the prices include the tax"), {}},
        {{QStringLiteral("price-excludes-tax")},
         QStringLiteral("the prices are without tax: the tags get the tax added"),
         {}},
        {{QStringLiteral("tax-rate")},
         QStringLiteral("rate in percent where the tax column says none: 10 (default) or 8"),
         QStringLiteral("10|8")},
        {{QStringLiteral("rounding")},
         QStringLiteral("fraction of a yen: floor (default), half-up or ceil"),
         QStringLiteral("MODE")},
        {{QStringLiteral("tax-code")},
         QStringLiteral("the list's own tax CODE means incl10, incl8, excl10, excl8 or exempt (e.g. 1=excl8)"),
         QStringLiteral("CODE=MEANING")},
        {{QStringLiteral("tax-codes")},
         QStringLiteral("the list's own tax codes and what each means, in words or as --tax-code's meanings "
                        "(e.g. 0=税込,1=税抜,2=非課税)"),
         QStringLiteral("CODE=MEANING,...")},
        {{QStringLiteral("register")},
         QStringLiteral("read the list as the export of this register: %1; none: as any list (default: the "
                        "register whose export the list is, if any)")
             .arg(registerProfileKeys().join(QStringLiteral(", "))),
         QStringLiteral("NAME")},
        {{QStringLiteral("no-remembered")},
         QStringLiteral("ignore the choices remembered for lists with this header"),
         {}},
        {{QStringLiteral("remember")}, QStringLiteral("remember this run's choices for lists with this header"), {}},
    };
}

std::optional<QString> readListOptions(const QCommandLineParser& parser, const QStringList& otherMapKeys,
                                       jobs::ImportRequest& request)
{
    const auto isSet = [&](const char* name) { return parser.isSet(QLatin1String(name)); };
    const auto value = [&](const char* name) { return parser.value(QLatin1String(name)); };
    request.read.sheetName = value("sheet");
    if (isSet("encoding")) {
        request.read.encoding = parseEncodingName(value("encoding"));
        if (!request.read.encoding) {
            return QStringLiteral("--encoding is utf-8, utf-16le, utf-16be or cp932");
        }
    }
    if (isSet("delimiter")) {
        const QString delimiter = value("delimiter");
        if (delimiter == QLatin1String("comma")) {
            request.read.delimiter = QChar(u',');
        } else if (delimiter == QLatin1String("tab")) {
            request.read.delimiter = QChar(u'\t');
        } else if (delimiter == QLatin1String("semicolon")) {
            request.read.delimiter = QChar(u';');
        } else {
            return QStringLiteral("--delimiter is comma, tab or semicolon");
        }
    }
    if (isSet("no-header")) {
        request.read.header = HeaderMode::absent;
    }
    if (isSet("price-includes-tax") && isSet("price-excludes-tax")) {
        return QStringLiteral("choose one of --price-includes-tax and --price-excludes-tax");
    }
    if (isSet("price-excludes-tax") || isSet("price-includes-tax")) {
        request.priceBasis = isSet("price-excludes-tax") ? PriceBasis::excludesTax : PriceBasis::includesTax;
    }
    if (isSet("tax-rate")) {
        if (value("tax-rate") != QLatin1String("10") && value("tax-rate") != QLatin1String("8")) {
            return QStringLiteral("--tax-rate is 10 or 8");
        }
        request.tax.ratePercent = value("tax-rate").toInt();
        request.rateGiven = true;
    }
    if (isSet("rounding")) {
        const auto rounding = roundingOfKey(value("rounding"));
        if (!rounding) {
            return QStringLiteral("--rounding is floor, half-up or ceil");
        }
        request.tax.rounding = *rounding;
        request.roundingGiven = true;
    }
    for (const QString& given : parser.values(QStringLiteral("tax-code"))) {
        const auto code = parseTaxCodeArgument(given);
        if (!code) {
            return QStringLiteral("--tax-code takes CODE=MEANING with MEANING one of %1: \"%2\"")
                .arg(taxCodeMeaningKeys().join(QStringLiteral(", ")), given);
        }
        request.tax.codes.push_back(*code);
    }
    for (const QString& given : parser.values(QStringLiteral("tax-codes"))) {
        const auto codes = parseTaxCodesArgument(given);
        if (!codes) {
            return QStringLiteral("--tax-codes takes CODE=MEANING,... with MEANING words such as 税込, 税抜, 非課税, "
                                  "税込10%, 税抜8% or one of %1: \"%2\"")
                .arg(taxCodeMeaningKeys().join(QStringLiteral(", ")), given);
        }
        request.tax.codes.insert(request.tax.codes.end(), codes->begin(), codes->end());
    }
    request.read.registerChoice.mode = RegisterChoice::Mode::detect;
    if (isSet("register")) {
        const QString name = value("register");
        if (name == QLatin1String("none")) {
            request.read.registerChoice.mode = RegisterChoice::Mode::none;
        } else if (const RegisterProfile* profile = registerProfileOfKey(name)) {
            request.read.registerChoice = {RegisterChoice::Mode::forced, profile};
        } else {
            return QStringLiteral("--register is none or one of %1: \"%2\"")
                .arg(registerProfileKeys().join(QStringLiteral(", ")), name);
        }
        if (request.read.registerChoice.mode == RegisterChoice::Mode::forced && isSet("no-header")) {
            return QStringLiteral("--register reads a list by its header: leave out --no-header");
        }
    }
    if (isSet("no-remembered") && isSet("remember")) {
        return QStringLiteral("choose one of --no-remembered and --remember");
    }
    request.useRemembered = !isSet("no-remembered");
    request.remember = isSet("remember");
    for (const QString& map : parser.values(QStringLiteral("map"))) {
        const qsizetype equals = map.indexOf(u'=');
        const QString key = equals > 0 ? map.left(equals) : QString();
        if (const auto field = listFieldOfKey(key)) {
            request.columns.push_back({*field, map.mid(equals + 1)});
        } else if (otherMapKeys.contains(key)) {
            request.otherColumns.emplace_back(key, map.mid(equals + 1));
        } else {
            return QStringLiteral("--map takes FIELD=COLUMN with FIELD one of %1: \"%2\"")
                .arg(mapKeys(otherMapKeys).join(QStringLiteral(", ")), map);
        }
    }
    return std::nullopt;
}

std::vector<OptionRow> sheetLayoutRows()
{
    return {
        {{QStringLiteral("format")},
         QStringLiteral("large (24 tags, default) or small (40)"),
         QStringLiteral("large|small")},
        {{QStringLiteral("start")},
         QStringLiteral("first tag used on the first sheet (default 1)"),
         QStringLiteral("N")},
    };
}

std::optional<QString> readSheetLayout(const QCommandLineParser& parser, const sheet::SheetFormat*& format,
                                       int& startTag)
{
    format = &sheet::SheetFormat::large;
    startTag = 1;
    if (parser.isSet(QStringLiteral("format"))) {
        format = sheet::SheetFormat::ofKey(parser.value(QStringLiteral("format")));
        if (!format) {
            return QStringLiteral("--format is large or small");
        }
    }
    if (parser.isSet(QStringLiteral("start"))) {
        const std::optional<int> start = wholeNumber(parser, QStringLiteral("start"), 1, format->tagsPerPage);
        if (!start) {
            return QStringLiteral("--start takes a tag number from 1 to %1").arg(format->tagsPerPage);
        }
        startTag = *start;
    }
    return std::nullopt;
}

std::optional<QString> checkSheetOutputs(const QCommandLineParser& parser)
{
    if (parser.isSet(QStringLiteral("printer")) && !parser.isSet(QStringLiteral("print"))) {
        return QStringLiteral("--printer goes with --print");
    }
    if (parser.isSet(QStringLiteral("pdf"))
        && QFileInfo(parser.value(QStringLiteral("pdf"))).suffix().toLower() != QLatin1String("pdf")) {
        return QStringLiteral("--pdf takes a file name ending in .pdf");
    }
    return std::nullopt;
}

}  // namespace command_line
