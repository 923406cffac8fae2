// The catalogue's schema and its migrations: each step up to kSchemaVersion in a transaction of its
// own, an SQLite file copied beside itself before the first.

#include "core/catalogue/store/database.h"

#include "core/files/careful_write.h"

#include <QFile>

#include <vector>

namespace catalogue::database {

namespace {

struct Migration {
    int version;
    std::vector<const char*> statements;
};

// The start of a product's unit text in a tag text: U+001F 単位 U+001F (rules::unitTextOf).
#define UNIT_TEXT_START                                                                                                \
    "\x1f"                                                                                                             \
    "単位"                                                                                                           \
    "\x1f"

// Each step brings the schema from version - 1 to version. Never edit a step once released: add one.
const std::vector<Migration>& migrations()
{
    static const std::vector<Migration> all {
        {1,
         {
             // Ids are INTEGER PRIMARY KEY: SQLite's row ids (its fastest joins), PostgreSQL's integer.
             // The products. shelf_tag_id points at the print_tags row of the tag last confirmed as
             // printed (set when a print is confirmed, cleared when the tag is taken down). tag_text,
             // here and in print_tags, is the tag's texts and price in one text, so that comparing
             // a product's tag with the one on the shelf is one comparison.
             "CREATE TABLE products (id INTEGER PRIMARY KEY, code TEXT NOT NULL UNIQUE, jan TEXT NOT NULL,"
             " maker TEXT NOT NULL, name TEXT NOT NULL, name2 TEXT NOT NULL, spec TEXT NOT NULL, lot TEXT NOT NULL,"
             " list_price BIGINT NOT NULL, price_includes_tax INTEGER NOT NULL, tax_rate INTEGER NOT NULL,"
             " tag_price BIGINT NOT NULL, shelf TEXT NOT NULL, tag_count INTEGER NOT NULL, list_order INTEGER NOT NULL,"
             " first_seen TEXT NOT NULL, last_seen TEXT NOT NULL, active INTEGER NOT NULL, shelf_tag_id BIGINT,"
             " tag_text TEXT NOT NULL)",
             "CREATE TABLE imports (id INTEGER PRIMARY KEY, file TEXT NOT NULL, imported_at TEXT NOT NULL,"
             " valid_from TEXT NOT NULL, partial INTEGER NOT NULL, row_count INTEGER NOT NULL,"
             " new_count INTEGER NOT NULL, changed_count INTEGER NOT NULL, discontinued_count INTEGER NOT NULL,"
             " refused_count INTEGER NOT NULL)",
             "CREATE TABLE price_history (id INTEGER PRIMARY KEY, product_id BIGINT NOT NULL REFERENCES products(id),"
             " import_id BIGINT NOT NULL REFERENCES imports(id), valid_from TEXT NOT NULL, tag_price BIGINT NOT NULL,"
             " list_price BIGINT NOT NULL, price_includes_tax INTEGER NOT NULL, tax_rate INTEGER NOT NULL)",
             "CREATE INDEX price_history_product ON price_history (product_id)",
             "CREATE TABLE prints (id INTEGER PRIMARY KEY, created_at TEXT NOT NULL, tag_format TEXT NOT NULL,"
             " start_tag INTEGER NOT NULL, sheet_count INTEGER NOT NULL, destination TEXT NOT NULL,"
             " state TEXT NOT NULL, decided_at TEXT NOT NULL)",
             "CREATE TABLE print_tags (id INTEGER PRIMARY KEY, print_id BIGINT NOT NULL REFERENCES prints(id),"
             " product_id BIGINT NOT NULL REFERENCES products(id), sheet INTEGER NOT NULL, slot INTEGER NOT NULL,"
             " jan TEXT NOT NULL, maker TEXT NOT NULL, name TEXT NOT NULL, name2 TEXT NOT NULL, spec TEXT NOT NULL,"
             " lot TEXT NOT NULL, price BIGINT NOT NULL, tag_text TEXT NOT NULL)",
             "CREATE INDEX print_tags_print ON print_tags (print_id)",
             "CREATE INDEX print_tags_product ON print_tags (product_id)",
             "CREATE TABLE takedowns (id INTEGER PRIMARY KEY, product_id BIGINT NOT NULL REFERENCES products(id),"
             " print_tag_id BIGINT NOT NULL REFERENCES print_tags(id), done_at TEXT NOT NULL)",
         }},
        {2,
         {
             "CREATE TABLE remembered_layouts (layout_key TEXT PRIMARY KEY, choices TEXT NOT NULL, saved_at TEXT NOT "
             "NULL)",
         }},
        // The choices of each list layout are kept in the settings file, for the catalogue's
        // imports as for the others: the table of version 2 was never written.
        {3,
         {
             "DROP TABLE remembered_layouts",
         }},
        // Prices that live in time. A list holds from its date: each product's state from a date is
        // a version of it, and the products row keeps the newest version (valid_from its date).
        // Offers give products a sale price for a period; a print records the moment it was made
        // for (as_of, local "YYYY-MM-DDTHH:MM"; empty for the prints made before) and, for a sale
        // tag, its offer and the former price it showed. A catalogue of before keeps its history:
        // each product's state holds from the date of its last price, else from its first day.
        {4,
         {
             "ALTER TABLE products ADD COLUMN valid_from TEXT NOT NULL DEFAULT ''",
             "UPDATE products SET valid_from = COALESCE((SELECT MAX(h.valid_from) FROM price_history h"
             " WHERE h.product_id = products.id), first_seen)",
             "CREATE INDEX products_valid_from ON products (valid_from)",
             "CREATE TABLE product_versions (id INTEGER PRIMARY KEY, product_id BIGINT NOT NULL REFERENCES "
             "products(id),"
             " import_id BIGINT REFERENCES imports(id), valid_from TEXT NOT NULL, jan TEXT NOT NULL,"
             " maker TEXT NOT NULL, name TEXT NOT NULL, name2 TEXT NOT NULL, spec TEXT NOT NULL, lot TEXT NOT NULL,"
             " list_price BIGINT NOT NULL, price_includes_tax INTEGER NOT NULL, tax_rate INTEGER NOT NULL,"
             " tag_price BIGINT NOT NULL, shelf TEXT NOT NULL, tag_count INTEGER NOT NULL, list_order INTEGER NOT NULL,"
             " active INTEGER NOT NULL, tag_text TEXT NOT NULL)",
             "INSERT INTO product_versions (id, product_id, import_id, valid_from, jan, maker, name, name2, spec, lot,"
             " list_price, price_includes_tax, tax_rate, tag_price, shelf, tag_count, list_order, active, tag_text)"
             " SELECT id, id, NULL, valid_from, jan, maker, name, name2, spec, lot, list_price, price_includes_tax,"
             " tax_rate, tag_price, shelf, tag_count, list_order, active, tag_text FROM products",
             "CREATE INDEX product_versions_product ON product_versions (product_id, valid_from)",
             "ALTER TABLE prints ADD COLUMN as_of TEXT NOT NULL DEFAULT ''",
             "ALTER TABLE print_tags ADD COLUMN offer_id BIGINT",
             "ALTER TABLE print_tags ADD COLUMN former_price BIGINT NOT NULL DEFAULT 0",
             // An offer, and its products with their sale prices. An item's days (and daily hours,
             // -1 for all day) are its own: a list may date its rows; an offer ended early has its
             // items' last days brought forward and ended_on set.
             "CREATE TABLE offers (id INTEGER PRIMARY KEY, name TEXT NOT NULL, first_day TEXT NOT NULL,"
             " last_day TEXT NOT NULL, start_minutes INTEGER NOT NULL, end_minutes INTEGER NOT NULL,"
             " ended_on TEXT NOT NULL, created_at TEXT NOT NULL, file TEXT NOT NULL)",
             "CREATE TABLE offer_items (id INTEGER PRIMARY KEY, offer_id BIGINT NOT NULL REFERENCES offers(id),"
             " product_id BIGINT NOT NULL REFERENCES products(id), sale_price BIGINT NOT NULL, first_day TEXT NOT NULL,"
             " last_day TEXT NOT NULL, start_minutes INTEGER NOT NULL, end_minutes INTEGER NOT NULL,"
             " former_price BIGINT NOT NULL, former_note TEXT NOT NULL)",
             "CREATE INDEX offer_items_product ON offer_items (product_id)",
             "CREATE INDEX offer_items_offer ON offer_items (offer_id)",
             "CREATE INDEX offer_items_days ON offer_items (last_day, first_day)",
         }},
        // Shelf checks: when and for which moment (as_of, local "YYYY-MM-DDTHH:MM") a check was made,
        // the place it looked (as shown: "A-1", "A-1〜A-5", "全部"), every location it covered (so
        // that the last check of each location is one lookup), and its results in the order listed:
        // a verdict key, the product (none for a code the catalogue does not hold), where the tag
        // was scanned, the catalogue's location, the tag as it was then and what was wrong.
        {5,
         {
             "CREATE TABLE shelf_checks (id INTEGER PRIMARY KEY, created_at TEXT NOT NULL, as_of TEXT NOT NULL,"
             " place TEXT NOT NULL, scan_count INTEGER NOT NULL)",
             "CREATE TABLE shelf_check_locations (check_id BIGINT NOT NULL REFERENCES shelf_checks(id),"
             " location TEXT NOT NULL)",
             "CREATE INDEX shelf_check_locations_check ON shelf_check_locations (check_id)",
             "CREATE TABLE shelf_check_results (id INTEGER PRIMARY KEY, check_id BIGINT NOT NULL"
             " REFERENCES shelf_checks(id), seq INTEGER NOT NULL, verdict TEXT NOT NULL,"
             " product_id BIGINT REFERENCES products(id), code TEXT NOT NULL, location TEXT NOT NULL,"
             " shelf TEXT NOT NULL, name TEXT NOT NULL, price BIGINT NOT NULL, detail TEXT NOT NULL,"
             " tags INTEGER NOT NULL, tag_count INTEGER NOT NULL)",
             "CREATE INDEX shelf_check_results_check ON shelf_check_results (check_id, seq)",
         }},
        // What a unit price needs beyond the size text: the product's own base (empty: the shop's,
        // なし: none) and its content where the list gives it apart (内容量 and 単位).
        {6,
         {
             "ALTER TABLE products ADD COLUMN unit_base TEXT NOT NULL DEFAULT ''",
             "ALTER TABLE products ADD COLUMN content TEXT NOT NULL DEFAULT ''",
             "ALTER TABLE product_versions ADD COLUMN unit_base TEXT NOT NULL DEFAULT ''",
             "ALTER TABLE product_versions ADD COLUMN content TEXT NOT NULL DEFAULT ''",
         }},
        // What needs a tag, found without reading every product: each product keeps the tag text
        // of the tag on its shelf beside its own (set when a print is confirmed, cleared with the
        // shelf tag), and the database works out from the two whether its tag is due (a new tag,
        // a changed one, or one to take down), indexed for the few that are. {generated} is how
        // the database keeps a computed column: SQLite works it out when read, PostgreSQL stores it.
        {7,
         {
             "ALTER TABLE products ADD COLUMN shelf_tag_text TEXT",
             "UPDATE products SET shelf_tag_text = (SELECT t.tag_text FROM print_tags t WHERE t.id = "
             "products.shelf_tag_id)",
             "ALTER TABLE products ADD COLUMN tag_due INTEGER GENERATED ALWAYS AS (CASE"
             " WHEN active = 1 AND (shelf_tag_id IS NULL OR shelf_tag_text IS NULL OR shelf_tag_text <> tag_text) THEN "
             "1"
             " WHEN active = 0 AND shelf_tag_id IS NOT NULL THEN 1 ELSE 0 END) {generated}",
             "CREATE INDEX products_tag_due ON products (id) WHERE tag_due = 1",
         }},
        // A tag text ends with the product's unit text where its list gives the unit price's base
        // or content (rules::unitTextOf), so that a change of them alone makes the tag due. The
        // tags printed before are taken to show the product's present ones: nothing becomes due.
        {8,
         {
             "UPDATE products SET tag_text = tag_text || '" UNIT_TEXT_START "' || unit_base || '\x1f' || content"
             " WHERE unit_base <> '' OR content <> ''",
             "UPDATE product_versions SET tag_text = tag_text || '" UNIT_TEXT_START
             "' || unit_base || '\x1f' || content"
             " WHERE unit_base <> '' OR content <> ''",
             "UPDATE print_tags SET tag_text = tag_text || (SELECT '" UNIT_TEXT_START "' || p.unit_base || '\x1f' ||"
             " p.content FROM products p WHERE p.id = print_tags.product_id) WHERE product_id IN (SELECT id FROM"
             " products WHERE unit_base <> '' OR content <> '')",
             "UPDATE products SET shelf_tag_text = (SELECT t.tag_text FROM print_tags t WHERE t.id ="
             " products.shelf_tag_id) WHERE shelf_tag_id IS NOT NULL AND (unit_base <> '' OR content <> '')",
         }},
    };
    return all;
}

#undef UNIT_TEXT_START

int versionInTransaction(QSqlDatabase& db, bool* ok)
{
    QSqlQuery query(db);
    *ok = run(query, QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"))
        && run(query, QStringLiteral("SELECT MAX(version) FROM schema_version"));
    return *ok && query.next() ? query.value(0).toInt() : 0;
}

// A copy of the SQLite file beside it, taken before a migration changes it.
bool backUp(QSqlDatabase& db, const CatalogueAddress& address, int fromVersion, QString* error)
{
    QSqlQuery query(db);
    run(query, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    query.finish();
    QFile file(address.path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    const files::FileWriteResult written
        = files::writeFileCarefully(address.path + QStringLiteral(".v%1-backup").arg(fromVersion), file.readAll());
    *error = written.error;
    return written.ok;
}

}  // namespace

int storedVersion(QSqlDatabase& db)
{
    QSqlQuery query(db);
    return run(query, QStringLiteral("SELECT MAX(version) FROM schema_version")) && query.next()
        ? query.value(0).toInt()
        : 0;
}

Result refuseNewer(int found, const CatalogueAddress& address)
{
    if (found > kSchemaVersion) {
        return {Status::notACatalogue,
                QStringLiteral("商品マスタ %1 はこれより新しい版の tanafuda で作られています (版 %2)。")
                    .arg(address.display())
                    .arg(found)};
    }
    return {};
}

Result migrate(QSqlDatabase& db, const CatalogueAddress& address, int toVersion)
{
    const int found = storedVersion(db);
    if (found >= kSchemaVersion) {
        return refuseNewer(found, address);
    }
    if (found > 0 && isSqlite(db)) {
        QString error;
        if (!backUp(db, address, found, &error)) {
            return {Status::unwritable,
                    QStringLiteral("商品マスタ %1 を新しい形に変える前の控えを作れません: %2")
                        .arg(address.display(), error)};
        }
    }
    for (const Migration& migration : migrations()) {
        if (migration.version > toVersion) {
            break;
        }
        WriteTransaction transaction(db);
        if (!transaction.begun()) {
            return failureOf(transaction.error(), address, QStringLiteral("準備"));
        }
        bool ok = false;
        const int current = versionInTransaction(db, &ok);
        if (!ok) {
            return failureOf(db.lastError(), address, QStringLiteral("準備"));
        }
        if (current >= migration.version) {
            continue;  // done already (or by another process meanwhile)
        }
        QSqlQuery query(db);
        for (const char* statement : migration.statements) {
            QString text = QString::fromLatin1(statement);
            text.replace(QLatin1String("{generated}"),
                         isSqlite(db) ? QLatin1String("VIRTUAL") : QLatin1String("STORED"));
            if (!run(query, text)) {
                return failureOf(query.lastError(), address, QStringLiteral("準備"));
            }
        }
        if (!run(query, QStringLiteral("DELETE FROM schema_version"))
            || !run(query, QStringLiteral("INSERT INTO schema_version (version) VALUES (?)"), {migration.version})) {
            return failureOf(query.lastError(), address, QStringLiteral("準備"));
        }
        query.finish();
        if (!transaction.commit()) {
            return failureOf(transaction.error(), address, QStringLiteral("準備"));
        }
    }
    return {};
}

}  // namespace catalogue::database
