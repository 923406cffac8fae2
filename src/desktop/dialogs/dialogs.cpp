#include "desktop/dialogs/dialogs.h"

#include "desktop/modules/module_loading.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>

namespace desktop {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::none:
        return QMessageBox::NoIcon;
    case MessageIcon::information:
        return QMessageBox::Information;
    case MessageIcon::warning:
        return QMessageBox::Warning;
    case MessageIcon::stop:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// A file dialog set up from the window's remembered state; the state takes the user's choices
// back when the dialog is accepted.
std::optional<QString> runFileDialog(QWidget* parent, FileDialogState& state, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The window asks about an existing file itself; a name typed without extension stays so.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(QString());
    const QStringList filters = qtNameFilters(state.filter);
    dialog.setNameFilters(filters);
    if (state.selectedFilter >= 0 && state.selectedFilter < filters.size()) {
        dialog.selectNameFilter(filters.at(state.selectedFilter));
    }
    const QFileInfo last(state.fileName);
    if (!state.fileName.isEmpty() && !state.fileName.contains(u'*')) {
        if (last.isAbsolute()) {
            dialog.setDirectory(last.absolutePath());
        }
        dialog.selectFile(last.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString path = dialog.selectedFiles().constFirst();
    state.fileName = path;
    state.selectedFilter = std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter()));
    return path;
}

}  // namespace

bool QtDialogs::choosePrinter(QWidget* parent, QPrinter& printer)
{
    // Whoever holds a printer has loaded the print module already: the dialog is Qt's print
    // support's, which the other dialogs do without.
    const PrintModule* module = printModule(parent, *this);
    return module != nullptr && module->choosePrinter(parent, printer);
}

std::optional<QString> QtDialogs::openFile(QWidget* parent, FileDialogState& state)
{
    return runFileDialog(parent, state, QFileDialog::AcceptOpen);
}

std::optional<QString> QtDialogs::saveFile(QWidget* parent, FileDialogState& state)
{
    return runFileDialog(parent, state, QFileDialog::AcceptSave);
}

bool QtDialogs::fileExists(const QString& path)
{
    // A link to nothing is there too: a file written at its name would land where it points.
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

std::optional<QString> QtDialogs::chooseFolder(QWidget* parent, const QString& title, const QString& start)
{
    const QString folder = QFileDialog::getExistingDirectory(parent, title, start);
    return folder.isEmpty() ? std::nullopt : std::optional<QString>(folder);
}

MessageAnswer QtDialogs::message(QWidget* parent, const QString& text, const QString& title, MessageIcon icon,
                                 MessageButtons buttons)
{
    QMessageBox box(toQtIcon(icon), title, text, QMessageBox::NoButton, parent);
    // Messages quote file names and a list's texts, which must never be read as markup or links.
    box.setTextFormat(Qt::PlainText);
    if (buttons == MessageButtons::ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MessageAnswer::ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? MessageAnswer::yes : MessageAnswer::no;
}

std::unique_ptr<QMessageBox> choiceBox(QWidget* parent, const QString& text, const QString& title, MessageIcon icon,
                                       const QStringList& buttons, int cancelIndex, int defaultIndex)
{
    auto box = std::make_unique<QMessageBox>(toQtIcon(icon), title, text, QMessageBox::NoButton, parent);
    box->setTextFormat(Qt::PlainText);
    for (const QString& button : buttons) {
        box->addButton(button, QMessageBox::ActionRole);
    }
    const QList<QAbstractButton*> shown = box->buttons();
    if (defaultIndex >= 0 && defaultIndex < shown.size()) {
        box->setDefaultButton(qobject_cast<QPushButton*>(shown.at(defaultIndex)));
    }
    if (cancelIndex >= 0 && cancelIndex < shown.size()) {
        box->setEscapeButton(shown.at(cancelIndex));
    }
    return box;
}

int QtDialogs::choose(QWidget* parent, const QString& text, const QString& title, MessageIcon icon,
                      const QStringList& buttons, int cancelIndex, int defaultIndex)
{
    const auto box = choiceBox(parent, text, title, icon, buttons, cancelIndex, defaultIndex);
    const QList<QAbstractButton*> shown = box->buttons();
    box->exec();
    const int pressed = int(shown.indexOf(box->clickedButton()));
    return pressed >= 0 ? pressed : cancelIndex;
}

std::optional<FontChoice> QtDialogs::chooseFont(QWidget* parent)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, parent);
    if (!ok) {
        return std::nullopt;
    }
    return FontChoice {font.family(), font.pointSizeF()};
}

std::optional<draw::Colour> QtDialogs::chooseColour(QWidget* parent)
{
    const QColor colour = QColorDialog::getColor(Qt::black, parent);
    if (!colour.isValid()) {
        return std::nullopt;
    }
    return static_cast<draw::Colour>(colour.red()) | static_cast<draw::Colour>(colour.green()) << 8
        | static_cast<draw::Colour>(colour.blue()) << 16;
}

Dialogs& qtDialogs()
{
    static QtDialogs dialogs;
    return dialogs;
}

QStringList qtNameFilters(const QString& filter)
{
    if (!filter.contains(u'|')) {
        return filter.isEmpty() ? QStringList {} : QStringList {filter};
    }
    const QStringList parts = filter.split(u'|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        const QString patterns = QString(parts.at(i + 1)).replace(u';', u' ').trimmed();
        if (description.isEmpty() && patterns.isEmpty()) {
            continue;
        }
        if (patterns.isEmpty() || description.endsWith(QStringLiteral("(") + patterns + QStringLiteral(")"))) {
            result << description;
        } else {
            result << QStringLiteral("%1 (%2)").arg(description, patterns);
        }
    }
    return result;
}

}  // namespace desktop
