#pragma once

// The program's settings file: one INI file (QSettings) in the user's configuration folder,
// ~/.config/tanafuda/tanafuda.ini unless XDG_CONFIG_HOME says otherwise, shared by the desktop
// program and the command-line programs. It keeps several subjects, each in a section of its own
// and read and written by a class of its own over this store: each printer's calibration
// ([calibration], PrinterCalibrations), the choices made for each layout of product list
// ([layouts], RememberedLayouts), the address of the product catalogue's database ([catalogue],
// CatalogueAddressSetting) and the extra texts the shop's tags show ([tag-texts],
// TagTextSettings).
//
// The store alone opens the file. Only a regular file of at most 1 MiB of text is read at all;
// anything else in its place counts as damaged, none of its values is used, and a save moves it
// aside (to NAME.damaged) before it begins a new one. QSettings reads and edits a copy, and the
// result replaces the file through the careful writer.

#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QSettings;
class QTemporaryDir;

namespace settings {

// How the settings file was found when it was read.
enum class SettingsFileStatus {
    missing,   // there is none: every subject has its defaults
    readable,  // its values may be used
    damaged,   // none of its values is used (damage() says why)
};

// The settings file as one read found it; its values stay readable while this lives.
class SettingsReading {
public:
    SettingsReading();
    SettingsReading(SettingsReading&&) noexcept;
    SettingsReading& operator=(SettingsReading&&) noexcept;
    ~SettingsReading();

    SettingsFileStatus status() const { return status_; }
    // Why a damaged file is not used, in Japanese words that end a subject's sentence
    // ("通常のファイルでない"); empty unless the file is damaged.
    QString damage() const { return damage_; }

    // The value at `key` ("group/name"); nothing when the file has none or cannot be read. A value
    // with a comma and without quotes, which QSettings splits into a list, comes back joined at
    // its commas.
    std::optional<QString> text(const QString& key) const;
    // The same, with the blanks around a single value taken off (QSettings takes them off each
    // part of a split one).
    std::optional<QString> trimmedText(const QString& key) const;

private:
    friend class SettingsStore;
    std::optional<QString> textAt(const QString& key, bool trimmed) const;

    SettingsFileStatus status_ = SettingsFileStatus::missing;
    QString damage_;
    std::unique_ptr<QTemporaryDir> scratch_;  // holds the copy that settings_ reads
    std::unique_ptr<QSettings> settings_;
};

class SettingsStore {
public:
    // The user's settings file.
    SettingsStore();
    explicit SettingsStore(const QString& iniPath);

    QString path() const { return path_; }
    static QString defaultPath();

    SettingsReading read() const;

    // Sets (or with nothing removes) the value at each key ("group/name") in one write. False, with
    // a Japanese message in `problem`, when the file could not be written.
    using Entry = std::pair<QString, std::optional<QString>>;
    bool write(const std::vector<Entry>& entries, QString* problem);

    // The message of a write that failed for the reason `why`.
    QString cannotWrite(const QString& why) const;

private:
    QString path_;
};

// A printer name or a layout key as the name of a value: such names may hold characters that
// QSettings reads as a group separator ("/", "\").
QString escapedKey(const QString& name);

// At most the start of a value, for quoting in a message.
QString quotedStart(const QString& value);

}  // namespace settings
