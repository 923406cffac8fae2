#pragma once

// Dialogs answered by the test instead of a person: each records how it was called and gives the
// answer the test set up.

#include "platform/dialogs.h"

#include <QPageLayout>
#include <QPrinter>
#include <QList>
#include <QStringList>

#include <optional>

class FakeDialogs : public platform::Dialogs {
public:
    // Printer dialog: accepted with output to `pdfPath` (a PDF file), or cancelled when empty.
    QString pdfPath;
    int printerDialogs = 0;
    QPageLayout layoutShown;    // the page the printer held when the dialog opened
    QPageLayout layoutPrinted;  // the page it printed on

    std::optional<QString> openAnswer;
    std::optional<QString> saveAnswer;
    int fileDialogs = 0;
    bool existsAnswer = false;

    platform::MessageAnswer messageAnswer = platform::MessageAnswer::no;
    QStringList messages;  // "title: text" of each message box
    QList<platform::MessageIcon> messageIcons;       // the icon of each message box
    QList<platform::MessageButtons> messageButtons;  // and its buttons

    std::optional<platform::FontChoice> fontAnswer;
    std::optional<platform::Colour> colourAnswer;
    int fontDialogs = 0;
    int colourDialogs = 0;

    bool choosePrinter(QWidget*, QPrinter& printer) override
    {
        ++printerDialogs;
        layoutShown = printer.pageLayout();
        if (pdfPath.isEmpty()) {
            return false;
        }
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
        layoutPrinted = printer.pageLayout();
        return true;
    }
    std::optional<QString> openFile(QWidget*, platform::FileDialogState&) override
    {
        ++fileDialogs;
        return openAnswer;
    }
    std::optional<QString> saveFile(QWidget*, platform::FileDialogState&) override
    {
        ++fileDialogs;
        return saveAnswer;
    }
    bool fileExists(const QString&) override { return existsAnswer; }
    platform::MessageAnswer message(QWidget*, const QString& text, const QString& title, platform::MessageIcon icon,
                                    platform::MessageButtons buttons) override
    {
        messages << title + QStringLiteral(": ") + text;
        messageIcons << icon;
        messageButtons << buttons;
        return buttons == platform::MessageButtons::ok ? platform::MessageAnswer::ok : messageAnswer;
    }
    std::optional<platform::FontChoice> chooseFont(QWidget*) override
    {
        ++fontDialogs;
        return fontAnswer;
    }
    std::optional<platform::Colour> chooseColour(QWidget*) override
    {
        ++colourDialogs;
        return colourAnswer;
    }
};
